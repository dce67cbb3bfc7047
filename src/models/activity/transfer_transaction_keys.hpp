#pragma once

#include "core/json/fields.hpp"
#include "models/activity/transfer_transaction.hpp"

namespace lumeno::detail {

using TT = TransferTransaction;
inline constexpr auto transferTransactionKeys = fields<TT>(
    required("activity_referrer", &TT::activityReferrer), required("h_bit_category", &TT::bitCategory),
    required("h_bit_date", &TT::date), required("h_bit_type", &TT::bitType), required("h_member_id", &TT::memberId),
    required("h_program_id", &TT::programId), required("h_sponsor_id", &TT::sponsorId),
    required("transfer_amount", &TT::transferAmount));
template <> inline constexpr const auto& keysOf<TransferTransaction> = transferTransactionKeys;

}  // namespace lumeno::detail
