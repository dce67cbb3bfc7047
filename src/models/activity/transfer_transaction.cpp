#include "models/activity/transfer_transaction_keys.hpp"

#include "lumeno/core/lumeno.hpp"
#include "models/activity/activity_dates.hpp"

namespace lumeno::detail {

TransferTransaction TransferTransaction::pointTransfer(std::string senderID, std::string recipientID,
                                                       double transferAmount, Date now) {
    return {std::move(senderID), "ACCRUAL", activityDateText(now), "POINTS_TRANSFER", std::move(recipientID),
            Lumeno::shared().settings()->programID, 1, transferAmount};
}


}  // namespace lumeno::detail
