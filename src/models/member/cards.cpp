#include "models/member/cards_keys.hpp"

namespace lumeno {

using namespace detail;




CardCancelRequest::CardCancelRequest(std::string reason, std::string comment)
    : reason(std::move(reason)), comment(std::move(comment)) {}


}  // namespace lumeno
