#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/activity/bit_response.hpp"

namespace lumeno::detail {

using BR = BitResponse;
inline constexpr auto bitResponseKeys = fields<BR>(
    lenient("original_bit", &BR::originalBit), lenient("member", &BR::member),
    strict("offer_actions", &BR::offerActions), strict("assigned_privileges", &BR::assignedPrivileges),
    strict("availed_privileges", &BR::availedPrivileges), strict("loyalty_accounts", &BR::loyaltyAccounts),
    lenient("mtomap", &BR::mtoMap), lenient("processingDate", &BR::processingDate), lenient("bitId", &BR::bitId),
    lenient("points_rewarded", &BR::pointsRewarded), lenient("points_redeemed", &BR::pointsRedeemed),
    lenient("status", &BR::status), lenient("member_id", &BR::memberID));
template <> inline constexpr const auto& keysOf<BitResponse> = bitResponseKeys;

}  // namespace lumeno::detail
