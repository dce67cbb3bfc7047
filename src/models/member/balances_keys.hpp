#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/member/balances.hpp"

namespace lumeno::detail {

using PPB = PendingPointBalance;
inline constexpr auto pendingPointBalanceKeys = fields<PPB>(
    lenient("member_id", &PPB::memberId), lenient("loyalty_account_id", &PPB::accountId),
    strict("total_points", &PPB::totalPoints), strict("available_points", &PPB::availablePoints),
    strict("pending_points", &PPB::pendingPoints));
template <> inline constexpr const auto& keysOf<PendingPointBalance> = pendingPointBalanceKeys;

using LB = LoyaltyBalance;
inline constexpr auto loyaltyBalanceKeys = fields<LB>(
    lenient("loyalty_account_id", &LB::id), strict("redeemed", &LB::redeemed), strict("rewarded", &LB::rewarded),
    strict("new_balance", &LB::balanceNew), strict("old_balance", &LB::balanceOld));
template <> inline constexpr const auto& keysOf<LoyaltyBalance> = loyaltyBalanceKeys;

inline constexpr auto balanceTagKeys = fields<BalanceTag>(
    strict("id", &BalanceTag::id), lenient("name", &BalanceTag::name),
    lenient("description", &BalanceTag::description));
template <> inline constexpr const auto& keysOf<BalanceTag> = balanceTagKeys;

}  // namespace lumeno::detail
