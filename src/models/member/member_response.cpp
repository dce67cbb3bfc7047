#include "models/member/member_response_keys.hpp"

namespace lumeno {

using namespace detail;

MemberResponse MemberResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return memberResponseKeys.decode(json, decoder);
}
JsonValue MemberResponse::toJson() const { return memberResponseKeys.encode(*this); }

LumenoTokenResponse LumenoTokenResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return lumenoTokenResponseKeys.decode(json, decoder);
}

ChangePasswordResponse ChangePasswordResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return changePasswordResponseKeys.decode(json, decoder);
}

AppleLoginDetails::AppleLoginDetails(std::string code, const std::optional<std::string>&,
                                     const std::optional<std::string>&, const std::optional<std::string>&)
    : code(std::move(code)) {}

JsonValue AppleLoginDetails::toJson() const { return appleLoginDetailsKeys.encode(*this); }

}  // namespace lumeno
