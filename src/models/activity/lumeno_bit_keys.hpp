#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/activity/lumeno_bit.hpp"
#include "models/activity/activity_dates.hpp"

namespace lumeno::detail {

/// A list of offer actions as the compact JSON text of their encoder; nullopt when it cannot
/// be written.
std::optional<std::string> offerActionsText(const std::vector<OfferAction>& actions);

using LBit = LumenoBit;
inline constexpr auto lumenoBitKeys = fields<LBit>(
    lenient("id", &LBit::id),
    ContextStep<LBit>{[](LBit& bit, DataTransferModel& context) { context.transferId = std::to_string(bit.id); }},
    lenient("h_bit_date", &LBit::dateString),
    Step<LBit>{[](const KeyedReader&, LBit& bit) { bit.date = activityDate(bit.dateString); }},
    lenient("member_id", &LBit::memberId), lenient("bit_reference", &LBit::reference),
    lenient("h_location_name", &LBit::locationName), lenient("header", &LBit::header),
    Step<LBit>{.read = [](const KeyedReader& in, LBit& bit) {
                 bit.offerActionsString = offerActionsText(in.lenient<std::vector<OfferAction>>("offer_actions").value_or(
                     std::vector<OfferAction>{}));
                 bit.offerActionsCount = static_cast<std::int64_t>(bit.offerActions().size());
             },
             .key = "offer_actions",
             .mismatch = mismatchFor<std::vector<OfferAction>>()},
    lenient("h_location", &LBit::location), lenient("h_program_id", &LBit::programId),
    lenient("h_sponsor_id", &LBit::sponsorId), lenient("offer_id", &LBit::offerId),
    lenient("h_bit_category", &LBit::category), lenient("status", &LBit::status),
    lenient("processed_date", &LBit::processedDate), lenient("payment_details", &LBit::paymentDetails),
    lenient("loyalty_balances", &LBit::loyaltyBalances), lenient("lines", &LBit::lines), lenient("errors", &LBit::errors),
    lenient("country", &LBit::country), lenient("region", &LBit::region), lenient("city", &LBit::city),
    lenient("area", &LBit::area), lenient("points_rewarded", &LBit::pointsRewarded),
    lenient("points_redeemed", &LBit::pointsRedeemed), lenient("points_reset", &LBit::pointsReset),
    lenient("sponsor_name", &LBit::sponsorName), lenient("sponsor_logo", &LBit::sponsorLogo),
    lenient("sponsor_short_name", &LBit::sponsorShortName), lenient("is_cancelled", &LBit::isCancelled));
template <> inline constexpr const auto& keysOf<LumenoBit> = lumenoBitKeys;

}  // namespace lumeno::detail
