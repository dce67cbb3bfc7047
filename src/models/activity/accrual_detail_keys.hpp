#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/activity/accrual_detail.hpp"
#include "models/activity/activity_dates.hpp"

namespace lumeno::detail {

using RD = RedemptionDetail;
inline constexpr auto redemptionDetailKeys = fields<RD>(
    lenient("id", &RD::id), lenient("account_id", &RD::accountId),
    lenient("redemption_date", &RD::redemptionDateString),
    Step<RD>{[](const KeyedReader&, RD& out) { out.redemptionDate = activityDate(out.redemptionDateString); }},
    lenient("member_id", &RD::memberID), lenient("bit_id", &RD::bitID),
    lenient("points_redeemed", &RD::pointsRedeemed), lenient("accrual_id", &RD::accrualId),
    lenient("original_member_id", &RD::originalMemberId), lenient("use_type", &RD::useType),
    lenient("payment_rate", &RD::paymentRate), lenient("payment_amount", &RD::paymentAmount),
    lenient("bit_reference", &RD::bitReference));
template <> inline constexpr const auto& keysOf<RedemptionDetail> = redemptionDetailKeys;

using AD = AccrualDetail;
inline constexpr auto accrualDetailKeys = fields<AD>(
    lenient("id", &AD::id), lenient("accrual_date", &AD::accrualDateString),
    Step<AD>{[](const KeyedReader&, AD& out) { out.accrualDate = activityDate(out.accrualDateString); }},
    lenient("expiration_date", &AD::expirationDateString),
    Step<AD>{[](const KeyedReader&, AD& out) { out.expirationDate = activityDate(out.expirationDateString); }},
    lenient("member_id", &AD::memberID), lenient("account_id", &AD::accountID), lenient("bit_id", &AD::bitID),
    lenient("balance_points", &AD::balancePoints), lenient("actual_points", &AD::actualPoints),
    lenient("expired_points", &AD::expiredPoints), lenient("reset_points", &AD::resetPoints),
    lenient("points_reset_date", &AD::pointsResetDateString),
    Step<AD>{[](const KeyedReader&, AD& out) { out.pointsResetDate = activityDate(out.pointsResetDateString); }},
    lenient("original_member_id", &AD::originalMemberID), lenient("reward_tag_id", &AD::rewardTagID),
    lenient("sponsor_id", &AD::sponsorID), lenient("original_accrual_id", &AD::originalAccrualID),
    lenient("billing_rate", &AD::billingRate), lenient("billing_amount", &AD::billingAmount),
    lenient("earn_type", &AD::earnType), lenient("reward_tags", &AD::rewardTags),
    lenient("redemptions", &AD::redemptions));
template <> inline constexpr const auto& keysOf<AccrualDetail> = accrualDetailKeys;

}  // namespace lumeno::detail
