#pragma once

// The point transfer with the instant that dates it passed in, so that a test can fix its clock.

#include <string>

#include "lumeno/api/lumeno_request.hpp"
#include "lumeno/core/date_utils.hpp"

namespace lumeno::detail {

/// `LumenoRequest::performPointTransfer`, the transfer dated `now`.
Handle performPointTransfer(const Token& token, std::string senderID, std::string recipientID, double transferAmount,
                            Date now, Completion<BitResponse> completion);

}  // namespace lumeno::detail
