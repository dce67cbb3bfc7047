#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/member/member_response.hpp"

namespace lumeno::detail {

using MR = MemberResponse;
inline constexpr auto memberResponseKeys = fields<MR>(
    strict("member_data", &MR::member), lenient("token", &MR::token), lenient("expires_in", &MR::expiresIn),
    strict("success", &MR::success), lenient("error", &MR::error));
template <> inline constexpr const auto& keysOf<MemberResponse> = memberResponseKeys;

inline constexpr auto lumenoTokenResponseKeys = fields<LumenoTokenResponse>(
    required("success", &LumenoTokenResponse::success), required("token", &LumenoTokenResponse::token));
template <> inline constexpr const auto& keysOf<LumenoTokenResponse> = lumenoTokenResponseKeys;

using CPR = ChangePasswordResponse;
inline constexpr auto changePasswordResponseKeys = fields<CPR>(
    lenient("message", &CPR::message), lenient("auth_key", &CPR::authKey), lenient("token", &CPR::token),
    lenient("expires_in", &CPR::expiresIn), lenient("status", &CPR::status));
template <> inline constexpr const auto& keysOf<ChangePasswordResponse> = changePasswordResponseKeys;

inline constexpr auto appleLoginDetailsKeys = fields<AppleLoginDetails>(strict("code", &AppleLoginDetails::code));
template <> inline constexpr const auto& keysOf<AppleLoginDetails> = appleLoginDetailsKeys;

}  // namespace lumeno::detail
