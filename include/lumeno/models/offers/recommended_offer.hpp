#pragma once

// An offer as the recommendation call returns it.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record, and with it the reply's list), lenient (absent, null or a value
// of another type gives the default), required (null or a value of another type fails the
// record), present-only (looked at only when the object contains the key). Dates follow the
// offer date rule of `LocationOffer`.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/date_utils.hpp"
#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/record.hpp"
#include "lumeno/core/json/extra_data.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/models/offers/location_offer.hpp"
#include "lumeno/models/offers/privileges.hpp"
#include "lumeno/models/offers/sponsor_location.hpp"

namespace lumeno {

/// A recommended offer: much of what `Offer` carries, under the same keys.
///
/// Decoding and the decoding context: "id" is read first; under a context the offer then writes
/// its id text as `transferId`, "o" as `prefixExtraData` and "lu" as `prefixLocationUrls`. Its
/// products write their own ids while they decode; once they are read the offer writes its own
/// values again, so that its template parameters and location links carry the offer's id.
///
/// Keys are read in the order of the fields. Members named "startDate", "endDate" or
/// "launch_date" are ignored.
struct RecommendedOffer {
    std::int64_t id = 0;                          ///< "id", strict
    std::optional<ExtraData> extraData;           ///< "extra_data", lenient
    std::optional<std::string> status;            ///< "status", lenient
    std::optional<std::string> name;              ///< "offer_name", lenient
    std::optional<std::string> subtitle;          ///< "subtitle", lenient
    std::optional<std::string> type;              ///< "offer_type", lenient
    std::optional<std::string> price;             ///< "price", lenient
    std::optional<std::string> desc;              ///< "offer_description", lenient
    std::optional<std::string> startDateString;   ///< "start_date", lenient, the text as received
    Date startDate = kFallbackDate;               ///< from "start_date" by the date rule
    std::optional<std::string> endDateString;     ///< "end_date", lenient, the text as received
    Date endDate = defaultOfferEndDate();         ///< from "end_date" by the date rule
    std::int64_t rank = 0;                        ///< "rank", strict
    std::optional<std::string> cost;              ///< "cost", lenient
    bool acceptanceRequired = false;              ///< "offer_acceptance_required", strict
    bool isLaunched = false;                      ///< "offer_launched", strict
    std::vector<std::int64_t> sponsors;           ///< "sponsors", present-only, required
    std::vector<Product> products;                ///< "products", present-only, strict
    std::vector<std::int64_t> locations;          ///< "locations", present-only, lenient
    Date launchDate = kFallbackDate;              ///< no key: always the default
    std::optional<std::string> mobileImage;       ///< "mobile_image", lenient
    std::optional<std::string> desktopImage;      ///< "desktop_image", lenient
    double averageRating = 0;                     ///< "average_rating", strict
    std::int64_t ratingCount = 0;                 ///< "rating_count", strict
    std::optional<OfferParams> templateParams;    ///< "template_params", lenient
    bool isBaseOffer = false;                     ///< "is_base_offer", strict
    std::optional<LocationUrls> locationUrls;     ///< "location_urls", strict
    std::optional<std::string> locationCategory;  ///< "location_category", lenient
    std::optional<std::string> termAndCondition;  ///< "term_and_condition", lenient
    double offerDistance = 0;                     ///< "offer_distance", strict
    std::optional<std::int64_t> featuredRank;     ///< "featured_rank", lenient
    std::vector<std::string> tags;                ///< "tags", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static RecommendedOffer decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<RecommendedOffer>::decode(json, decoder);
    }
};

}  // namespace lumeno
