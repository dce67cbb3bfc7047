#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/member/account_replies.hpp"

namespace lumeno::detail {

inline constexpr auto memberStatusKeys =
    fields<MemberStatus>(strict("exists", &MemberStatus::exists), strict("validated", &MemberStatus::validated));
template <> inline constexpr const auto& keysOf<MemberStatus> = memberStatusKeys;
inline constexpr auto appleStatusKeys = fields<AppleStatus>(strict("exists", &AppleStatus::exists));
template <> inline constexpr const auto& keysOf<AppleStatus> = appleStatusKeys;
inline constexpr auto passwordStatusKeys = fields<PasswordStatus>(strict("exists", &PasswordStatus::exists));
template <> inline constexpr const auto& keysOf<PasswordStatus> = passwordStatusKeys;
inline constexpr auto socialDelinkResponseKeys = fields<SocialDelinkResponse>(
    strict("social_delink", &SocialDelinkResponse::delinkStatus), strict("logout", &SocialDelinkResponse::logout));
template <> inline constexpr const auto& keysOf<SocialDelinkResponse> = socialDelinkResponseKeys;
inline constexpr auto loginAttributeKeys = fields<LoginAttribute>(lenient("attribute", &LoginAttribute::attribute));
template <> inline constexpr const auto& keysOf<LoginAttribute> = loginAttributeKeys;
using S3 = S3ImageResponse;
inline constexpr auto s3ImageResponseKeys = fields<S3>(
    lenient("url", &S3::url), lenient("signedRequest", &S3::signedRequest),
    // Replies that spell the key in snake case still give the address.
    Step<S3>{.read = [](const KeyedReader& in, S3& out) {
                 if (!out.signedRequest) out.signedRequest = in.lenient<std::string>("signed_request");
             },
             .key = "signed_request",
             .mismatch = mismatchFor<std::string>()});
template <> inline constexpr const auto& keysOf<S3ImageResponse> = s3ImageResponseKeys;
inline constexpr auto memberReferralResponseKeys =
    fields<MemberReferralResponse>(lenient("data", &MemberReferralResponse::data));
template <> inline constexpr const auto& keysOf<MemberReferralResponse> = memberReferralResponseKeys;

}  // namespace lumeno::detail
