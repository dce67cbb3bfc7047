#pragma once

// Sponsor locations: the full location with its offers, the short form that offers list, opening
// hours, and the location links that offers carry.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/record.hpp"
#include "lumeno/core/json/extra_data.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/models/offers/location_offer.hpp"

namespace lumeno {

/// One opening-hours entry; the day number is kept as received.
struct LocationTiming {
    std::int64_t id = 0;                   ///< "id", strict
    std::int64_t day = 0;                  ///< "day", strict
    std::optional<std::string> openTime;   ///< "open_time", lenient
    std::optional<std::string> closeTime;  ///< "close_time", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static LocationTiming decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<LocationTiming>::decode(json, decoder);
    }
};

/// The short form of a location that an offer lists.
struct LocationCompact {
    std::int64_t id = 0;                 ///< "id", strict
    std::optional<std::string> name;     ///< "location_name", lenient
    std::optional<std::string> code;     ///< "location_code", lenient
    double latitude = 0;                 ///< "latitude", strict
    double longitude = 0;                ///< "longitude", strict
    std::optional<std::string> image;    ///< "image", lenient
    std::optional<std::string> address;  ///< "address", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static LocationCompact decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<LocationCompact>::decode(json, decoder);
    }
};

/// An open map of location links. Any JSON object decodes (any other value fails); every entry
/// that is not null becomes one attribute whose value is the entry as text. Under a decoding
/// context the attributes are identified by the context's `prefixLocationUrls` and
/// `transferId` followed by the key; without one by the key alone.
class LocationUrls {
public:
    std::vector<CustomAttribute> locationUrls;

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static LocationUrls decode(const JsonValue& json, const Decoder& decoder);

    /// The attributes as an object of keys and value texts; of two attributes with the same
    /// key the later one wins.
    [[nodiscard]] JsonObject dictionaryRepresentation() const;

private:
    std::string id_;  // the identifier the attributes were built from
};

/// One physical location of a sponsor.
///
/// Decoding reads "id" first, then, under a decoding context, writes the id text as the
/// context's `transferId` and "sl" as its `prefixExtraData` (the location-link prefix is left
/// alone), so that its attribute map is identified as "sl" followed by the id. The keys are read
/// in the order of the fields.
struct SponsorLocation {
    std::int64_t id = 0;                         ///< "id", strict
    std::optional<ExtraData> extraData;          ///< "extra_data", lenient
    std::int64_t sponsor = 0;                    ///< "sponsor", strict
    std::optional<std::string> sponsorName;      ///< "sponsor_name", lenient
    /// No JSON key: `sponsorName` with every space removed, lower-cased (ICU); absent with it.
    std::optional<std::string> sponsorNameLowercased;
    std::optional<std::string> name;             ///< "location_name", lenient
    std::optional<std::string> code;             ///< "location_code", lenient
    std::optional<std::string> address;          ///< "address", lenient
    std::optional<std::string> type;             ///< "location_type", lenient
    std::optional<std::string> phoneNumber;      ///< "phone_number", lenient
    double latitude = 0;                         ///< "latitude", strict
    double longitude = 0;                        ///< "longitude", strict
    double distance = 0;                         ///< "distance", strict
    std::optional<std::string> image;            ///< "image", lenient
    std::optional<std::string> sponsorImage;     ///< "sponsor_logo", lenient
    std::vector<LocationTiming> timings;         ///< "location_timings", strict
    bool active = false;                         ///< "active", strict
    /// "offers", strict. Each offer's template parameters carry that offer's own id.
    std::vector<LocationOffer> offers;
    std::optional<std::string> sponsorHeader;    ///< "sponsor_header", lenient
    std::optional<std::string> destination;      ///< "destination", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static SponsorLocation decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<SponsorLocation>::decode(json, decoder);
    }
};

}  // namespace lumeno
