#pragma once

// The full record of one loyalty offer.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record, and with it a list or page that holds it), lenient (absent,
// null or a value of another type gives the default), required (null or a value of another type
// fails the record), present-only (looked at only when the object contains the key). Dates
// follow the offer date rule of `LocationOffer`.

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
#include "lumeno/models/offers/offer_actions.hpp"
#include "lumeno/models/offers/privileges.hpp"
#include "lumeno/models/offers/sponsor.hpp"
#include "lumeno/models/offers/sponsor_location.hpp"

namespace lumeno {

/// One loyalty offer: texts, validity dates, reward figures, sponsors, products, locations, the
/// member's own action on it, its template parameters and an open attribute map.
///
/// Decoding and the decoding context: "id" is read first; under a context the offer then writes
/// its id text as `transferId`, "o" as `prefixExtraData` and "lu" as `prefixLocationUrls`, so
/// that its attribute map is identified as "o" followed by the id. Its primary sponsor and its
/// products write their own ids into the context while they decode; once they are read the
/// offer writes its own values again, so that its action, template parameters and location
/// links carry the offer's id (and "lu" followed by it), never a product's or the sponsor's.
/// In a list each offer starts again with its own id.
///
/// Keys are read in the order of the fields.
/// Members named "startDate" or "endDate" are ignored.
struct Offer {
    std::int64_t id = 0;                                 ///< "id", strict
    std::optional<ExtraData> extraData;                  ///< "extra_data", lenient
    std::optional<std::string> status;                   ///< "status", lenient
    std::optional<std::string> name;                     ///< "offer_name", lenient
    std::optional<std::string> subtitle;                 ///< "subtitle", lenient
    std::optional<std::string> type;                     ///< "offer_type", lenient
    std::optional<std::string> price;                    ///< "price", lenient
    std::optional<std::string> desc;                     ///< "offer_description", lenient
    std::optional<std::string> startDateString;          ///< "start_date", lenient, the text as received
    Date startDate = kFallbackDate;                      ///< from "start_date" by the date rule
    std::optional<std::string> endDateString;            ///< "end_date", lenient, the text as received
    Date endDate = defaultOfferEndDate();                ///< from "end_date" by the date rule
    std::int64_t rank = 0;                               ///< "rank", strict
    std::optional<std::string> cost;                     ///< "cost", lenient
    std::optional<std::string> numOfClients;             ///< "num_of_clients", lenient
    std::optional<std::string> maxUsagePerUser;          ///< "max_usage_per_user", lenient
    bool acceptanceRequired = false;                     ///< "offer_acceptance_required", strict
    bool twitterShare = false;                           ///< "twitter_share", strict
    bool fbShare = false;                                ///< "fb_share", strict
    bool isLaunched = false;                             ///< "offer_launched", strict
    std::optional<std::string> presentmentDescription;   ///< "presentment_description", lenient
    std::vector<std::int64_t> sponsors;                  ///< "sponsors", present-only, required
    /// "primary_sponsor", lenient: the text there, or empty (also when it holds a sponsor object).
    std::string primarySponsor;
    /// "primary_sponsor_data" as a sponsor; when that is absent or null, "primary_sponsor" as a
    /// sponsor. Lenient: a value that does not decode gives absent (and a broken
    /// "primary_sponsor_data" is not replaced by "primary_sponsor").
    std::optional<Sponsor> primarySponsorData;
    std::optional<std::string> dealCode;                 ///< "deal_code", lenient
    std::vector<Product> products;                       ///< "products", present-only, strict
    std::optional<std::string> validFor;                 ///< "valid_for", lenient
    std::optional<std::string> validPeriod;              ///< "valid_period", lenient
    std::optional<std::string> validUntil;               ///< "valid_until", lenient
    std::optional<std::string> repeatWeekday;            ///< "repeat_weekday", lenient
    std::optional<std::string> repeatMonth;              ///< "repeat_month", lenient
    std::optional<std::string> repeatDay;                ///< "repeat_day", lenient
    std::vector<std::int64_t> locations;                 ///< "locations", present-only, lenient
    /// "locations_data", present-only, strict. When it holds null, "locations" read as short
    /// locations instead, leniently: a "locations" list of ids (its usual form) gives empty.
    std::vector<LocationCompact> locationsData;
    std::optional<std::string> launchDateString;         ///< "launch_date", lenient, the text as received
    Date launchDate = kFallbackDate;                     ///< from "launch_date" by the date rule
    std::optional<std::string> mobileImage;              ///< "mobile_image", lenient
    std::optional<std::string> desktopImage;             ///< "desktop_image", lenient
    double averageRating = 0;                            ///< "average_rating", strict
    std::int64_t ratingCount = 0;                        ///< "rating_count", strict
    std::int64_t availedTotal = 0;                       ///< "availed_total", strict
    std::int64_t availedUnique = 0;                      ///< "availed_unique", strict
    std::optional<MemberAction> actions;                 ///< "action", lenient
    std::optional<OfferParams> templateParams;           ///< "template_params", lenient
    bool isBaseOffer = false;                            ///< "is_base_offer", strict
    std::optional<LocationUrls> locationUrls;            ///< "location_urls", strict
    std::optional<std::string> locationCategory;         ///< "location_category", lenient
    std::optional<std::string> termAndCondition;         ///< "term_and_condition", lenient
    double offerDistance = 0;                            ///< "offer_distance", strict
    std::optional<std::int64_t> featuredRank;            ///< "featured_rank", lenient
    std::vector<std::string> tags;                       ///< "tags", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static Offer decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<Offer>::decode(json, decoder);
    }
};

}  // namespace lumeno
