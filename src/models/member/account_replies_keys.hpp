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
inline constexpr auto s3ImageResponseKeys = fields<S3ImageResponse>(
    lenient("url", &S3ImageResponse::url), lenient("signed_request", &S3ImageResponse::signedRequest));
inline constexpr auto memberReferralResponseKeys =
    fields<MemberReferralResponse>(lenient("data", &MemberReferralResponse::data));

}  // namespace lumeno::detail
