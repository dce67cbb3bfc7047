#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/activity/lumeno_bit.hpp"
#include "models/activity/activity_dates.hpp"

namespace lumeno::detail {

/// A list of offer actions as the compact JSON text of their encoder; nullopt when it cannot
/// be written.
std::optional<std::string> offerActionsText(const std::vector<OfferAction>& actions);

using LB = LumenoBit;
inline constexpr auto lumenoBitKeys = fields<LB>(
    lenient("id", &LB::id),
    ContextStep<LB>{[](LB& bit, DataTransferModel& context) { context.transferId = std::to_string(bit.id); }},
    lenient("h_bit_date", &LB::dateString),
    Step<LB>{[](const KeyedReader&, LB& bit) { bit.date = activityDate(bit.dateString); }},
    lenient("member_id", &LB::memberId), lenient("bit_reference", &LB::reference),
    lenient("h_location_name", &LB::locationName), lenient("header", &LB::header),
    Step<LB>{[](const KeyedReader& in, LB& bit) {
                 bit.offerActionsString = offerActionsText(in.lenient<std::vector<OfferAction>>("offer_actions").value_or(
                     std::vector<OfferAction>{}));
                 bit.offerActionsCount = static_cast<std::int64_t>(bit.offerActions().size());
             },
             nullptr, "offer_actions"},
    lenient("h_location", &LB::location), lenient("h_program_id", &LB::programId),
    lenient("h_sponsor_id", &LB::sponsorId), lenient("offer_id", &LB::offerId),
    lenient("h_bit_category", &LB::category), lenient("status", &LB::status),
    lenient("processed_date", &LB::processedDate), lenient("payment_details", &LB::paymentDetails),
    lenient("loyalty_balances", &LB::loyaltyBalances), lenient("lines", &LB::lines), lenient("errors", &LB::errors),
    lenient("country", &LB::country), lenient("region", &LB::region), lenient("city", &LB::city),
    lenient("area", &LB::area), lenient("points_rewarded", &LB::pointsRewarded),
    lenient("points_redeemed", &LB::pointsRedeemed), lenient("points_reset", &LB::pointsReset),
    lenient("sponsor_name", &LB::sponsorName), lenient("sponsor_logo", &LB::sponsorLogo),
    lenient("sponsor_short_name", &LB::sponsorShortName), lenient("is_cancelled", &LB::isCancelled));

}  // namespace lumeno::detail
