#include "lumeno/models/member/account_replies.hpp"

#include "lumeno/core/json/readers.hpp"

namespace lumeno {

MemberStatus MemberStatus::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    return {in.strict<bool>("exists"), in.strict<bool>("validated")};
}

AppleStatus AppleStatus::decode(const JsonValue& json, const Decoder& decoder) {
    return {KeyedReader(json, decoder).strict<bool>("exists")};
}

PasswordStatus PasswordStatus::decode(const JsonValue& json, const Decoder& decoder) {
    return {KeyedReader(json, decoder).strict<bool>("exists")};
}

SocialDelinkResponse SocialDelinkResponse::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    return {in.strictOptional<bool>("social_delink"), in.strictOptional<bool>("logout")};
}

LoginAttribute LoginAttribute::decode(const JsonValue& json, const Decoder& decoder) {
    return {KeyedReader(json, decoder).lenient<std::string>("attribute")};
}

S3ImageResponse S3ImageResponse::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    return {in.lenient<std::string>("url"), in.lenient<std::string>("signed_request")};
}

MemberReferralResponse MemberReferralResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return {KeyedReader(json, decoder).lenient<std::string>("data")};
}

}  // namespace lumeno
