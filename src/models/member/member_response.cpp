#include "models/member/member_response_keys.hpp"

namespace lumeno {

using namespace detail;




AppleLoginDetails::AppleLoginDetails(std::string code, const std::optional<std::string>&,
                                     const std::optional<std::string>&, const std::optional<std::string>&)
    : code(std::move(code)) {}


}  // namespace lumeno
