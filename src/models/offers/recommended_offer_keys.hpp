#pragma once

#include "lumeno/models/offers/recommended_offer.hpp"
#include "models/offers/offer_rules.hpp"

namespace lumeno::detail {

using RO = RecommendedOffer;
inline constexpr auto recommendedOfferKeys = fields<RO>(
    strict("id", &RO::id), offerContext<RO>, lenient("extra_data", &RO::extraData), lenient("status", &RO::status),
    lenient("offer_name", &RO::name), lenient("subtitle", &RO::subtitle), lenient("offer_type", &RO::type),
    lenient("price", &RO::price), lenient("offer_description", &RO::desc),
    lenient("start_date", &RO::startDateString), dateRule<RO, &RO::startDateString, &RO::startDate>(),
    lenient("end_date", &RO::endDateString), dateRule<RO, &RO::endDateString, &RO::endDate>(),
    strict("rank", &RO::rank), lenient("cost", &RO::cost), strict("offer_acceptance_required", &RO::acceptanceRequired),
    strict("offer_launched", &RO::isLaunched), presentOnly(required("sponsors", &RO::sponsors)),
    presentOnly(strict("products", &RO::products)),
    // The products wrote their own ids: the offer's parts read next take the offer's.
    offerContext<RO>, presentOnly(lenient("locations", &RO::locations)), lenient("mobile_image", &RO::mobileImage),
    lenient("desktop_image", &RO::desktopImage), strict("average_rating", &RO::averageRating),
    strict("rating_count", &RO::ratingCount), lenient("template_params", &RO::templateParams),
    strict("is_base_offer", &RO::isBaseOffer), strict("location_urls", &RO::locationUrls),
    lenient("location_category", &RO::locationCategory), lenient("term_and_condition", &RO::termAndCondition),
    strict("offer_distance", &RO::offerDistance), lenient("featured_rank", &RO::featuredRank),
    lenient("tags", &RO::tags));
template <> inline constexpr const auto& keysOf<RecommendedOffer> = recommendedOfferKeys;

}  // namespace lumeno::detail
