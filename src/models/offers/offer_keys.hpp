#pragma once

#include "lumeno/models/offers/offer.hpp"
#include "models/offers/offer_rules.hpp"

namespace lumeno::detail {

using O = Offer;
inline constexpr auto offerKeys = fields<O>(
    strict("id", &O::id), offerContext<O>, lenient("extra_data", &O::extraData), lenient("status", &O::status),
    lenient("offer_name", &O::name), lenient("subtitle", &O::subtitle), lenient("offer_type", &O::type),
    lenient("price", &O::price), lenient("offer_description", &O::desc), lenient("start_date", &O::startDateString),
    dateRule<O, &O::startDateString, &O::startDate>(), lenient("end_date", &O::endDateString),
    dateRule<O, &O::endDateString, &O::endDate>(), strict("rank", &O::rank), lenient("cost", &O::cost),
    lenient("num_of_clients", &O::numOfClients), lenient("max_usage_per_user", &O::maxUsagePerUser),
    strict("offer_acceptance_required", &O::acceptanceRequired), strict("twitter_share", &O::twitterShare),
    strict("fb_share", &O::fbShare), strict("offer_launched", &O::isLaunched),
    lenient("presentment_description", &O::presentmentDescription), presentOnly(required("sponsors", &O::sponsors)),
    lenient("primary_sponsor", &O::primarySponsor),
    Step<O>{.read = [](const KeyedReader& in, O& out) {
                // A broken "primary_sponsor_data" gives no sponsor; only an absent or null one
                // lets "primary_sponsor" stand in.
                const JsonValue* data = in.find("primary_sponsor_data");
                in.lenient(data != nullptr && !data->is_null() ? data : in.find("primary_sponsor"),
                           out.primarySponsorData);
            },
            .key = "primary_sponsor_data",
            .mismatch = mismatchFor<Sponsor>()},
    lenient("deal_code", &O::dealCode), presentOnly(strict("products", &O::products)),
    // The sponsor and the products wrote their own ids: the offer's parts read next take the offer's.
    offerContext<O>, lenient("valid_for", &O::validFor), lenient("valid_period", &O::validPeriod),
    lenient("valid_until", &O::validUntil), lenient("repeat_weekday", &O::repeatWeekday),
    lenient("repeat_month", &O::repeatMonth), lenient("repeat_day", &O::repeatDay),
    presentOnly(lenient("locations", &O::locations)),
    Step<O>{.read = [](const KeyedReader& in, O& out) {
                const JsonValue* data = in.find("locations_data");
                if (data == nullptr) return;
                if (!data->is_null())
                    out.locationsData = in.strict<std::vector<LocationCompact>>("locations_data");
                else if (auto fallback = in.lenient<std::vector<LocationCompact>>("locations"))
                    out.locationsData = std::move(*fallback);
            },
            .key = "locations_data",
            .rule = Rule::strict,
            .presentOnly = true,
            .mismatch = mismatchFor<std::vector<LocationCompact>>()},
    lenient("launch_date", &O::launchDateString), dateRule<O, &O::launchDateString, &O::launchDate>(),
    lenient("mobile_image", &O::mobileImage), lenient("desktop_image", &O::desktopImage),
    strict("average_rating", &O::averageRating), strict("rating_count", &O::ratingCount),
    strict("availed_total", &O::availedTotal), strict("availed_unique", &O::availedUnique),
    lenient("action", &O::actions), lenient("template_params", &O::templateParams),
    strict("is_base_offer", &O::isBaseOffer), strict("location_urls", &O::locationUrls),
    lenient("location_category", &O::locationCategory), lenient("term_and_condition", &O::termAndCondition),
    strict("offer_distance", &O::offerDistance), lenient("featured_rank", &O::featuredRank),
    lenient("tags", &O::tags));
template <> inline constexpr const auto& keysOf<Offer> = offerKeys;

}  // namespace lumeno::detail
