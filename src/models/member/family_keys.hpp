#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/member/family.hpp"

namespace lumeno::detail {

inline constexpr auto familySummaryKeys =
    fields<FamilySummary>(strict("size", &FamilySummary::size), lenient("head", &FamilySummary::head));
template <> inline constexpr const auto& keysOf<FamilySummary> = familySummaryKeys;

using FI = FamilyInvite;
inline constexpr auto familyInviteKeys = fields<FI>(
    strict("id", &FI::id), lenient("status", &FI::status), lenient("inviter", &FI::inviter),
    lenient("invitee", &FI::invitee), lenient("invitee_email", &FI::inviteeEmail),
    lenient("invitee_mobile", &FI::inviteeMobile), lenient("created_ts", &FI::createdTs),
    lenient("updated_ts", &FI::updatedTs));
template <> inline constexpr const auto& keysOf<FamilyInvite> = familyInviteKeys;

inline constexpr auto familyMemberInviteResponseKeys =
    fields<FamilyMemberInviteResponse>(lenient("status", &FamilyMemberInviteResponse::status));
template <> inline constexpr const auto& keysOf<FamilyMemberInviteResponse> = familyMemberInviteResponseKeys;

}  // namespace lumeno::detail
