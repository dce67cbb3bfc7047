#pragma once

#include "lumeno/models/offers/location_offer.hpp"
#include "models/offers/offer_rules.hpp"

namespace lumeno::detail {

using OP = OfferParams;
inline constexpr auto offerParamsKeys = fields<OP>(
    ContextStep<OP>{[](OP& params, DataTransferModel& context) {
        if (context.transferId) params.offerId = offerIdFromText(*context.transferId);
    }},
    lenient("offer_start_hour", &OP::startHour), lenient("offer_start_minute", &OP::startMinute),
    lenient("offer_end_hour", &OP::endHour), lenient("offer_end_minute", &OP::endMinute),
    lenient("reward_type", &OP::rewardType), lenient("reward_value", &OP::rewardValue),
    lenient("reward_multiplier", &OP::rewardMultiplier), lenient("reward_bonus", &OP::rewardBonus));
template <> inline constexpr const auto& keysOf<OfferParams> = offerParamsKeys;

using LO = LocationOffer;
inline constexpr auto locationOfferKeys = fields<LO>(
    strict("id", &LO::id), lenient("status", &LO::status), lenient("start_date", &LO::startDateString),
    dateRule<LO, &LO::startDateString, &LO::startDate>(), lenient("end_date", &LO::endDateString),
    dateRule<LO, &LO::endDateString, &LO::endDate>(), lenient("primary_sponsor", &LO::primarySponsor),
    lenient("template_params", &LO::templateParams),
    // The parameters read their offer id from the context, where the enclosing location left its
    // own id: give them this offer's id instead.
    ContextStep<LO>{[](LO& offer, DataTransferModel&) {
        if (offer.templateParams) offer.templateParams->offerId = offer.id;
    }});
template <> inline constexpr const auto& keysOf<LocationOffer> = locationOfferKeys;

}  // namespace lumeno::detail
