#include "models/member/account_replies_keys.hpp"

namespace lumeno {

using namespace detail;

MemberStatus MemberStatus::decode(const JsonValue& json, const Decoder& decoder) {
    return memberStatusKeys.decode(json, decoder);
}

AppleStatus AppleStatus::decode(const JsonValue& json, const Decoder& decoder) {
    return appleStatusKeys.decode(json, decoder);
}

PasswordStatus PasswordStatus::decode(const JsonValue& json, const Decoder& decoder) {
    return passwordStatusKeys.decode(json, decoder);
}

SocialDelinkResponse SocialDelinkResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return socialDelinkResponseKeys.decode(json, decoder);
}

LoginAttribute LoginAttribute::decode(const JsonValue& json, const Decoder& decoder) {
    return loginAttributeKeys.decode(json, decoder);
}

S3ImageResponse S3ImageResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return s3ImageResponseKeys.decode(json, decoder);
}

MemberReferralResponse MemberReferralResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return memberReferralResponseKeys.decode(json, decoder);
}

}  // namespace lumeno
