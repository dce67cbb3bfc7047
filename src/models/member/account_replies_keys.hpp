#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/member/account_replies.hpp"

namespace lumeno::detail {

inline constexpr auto memberStatusKeys =
    fields<MemberStatus>(strict("exists", &MemberStatus::exists), strict("validated", &MemberStatus::validated));
inline constexpr auto appleStatusKeys = fields<AppleStatus>(strict("exists", &AppleStatus::exists));
inline constexpr auto passwordStatusKeys = fields<PasswordStatus>(strict("exists", &PasswordStatus::exists));
inline constexpr auto socialDelinkResponseKeys = fields<SocialDelinkResponse>(
    strict("social_delink", &SocialDelinkResponse::delinkStatus), strict("logout", &SocialDelinkResponse::logout));
inline constexpr auto loginAttributeKeys = fields<LoginAttribute>(lenient("attribute", &LoginAttribute::attribute));
using S3 = S3ImageResponse;
inline constexpr auto s3ImageResponseKeys = fields<S3>(
    lenient("url", &S3::url), lenient("signedRequest", &S3::signedRequest),
    // Replies that spell the key in snake case still give the address.
    Step<S3>{[](const KeyedReader& in, S3& out) {
        if (!out.signedRequest) out.signedRequest = in.lenient<std::string>("signed_request");
    }});
inline constexpr auto memberReferralResponseKeys =
    fields<MemberReferralResponse>(lenient("data", &MemberReferralResponse::data));

}  // namespace lumeno::detail
