#pragma once

// Sponsors: the partner businesses of the programme, full and trimmed.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default).
//
// Both records read "id" first, then, under a decoding context, write the id text as the
// context's `transferId` and "s" as its `prefixExtraData` (the location-link prefix is left
// alone), so that the attribute map, read next, is identified as "s" followed by the id.
// Nothing restores the earlier values: what the same reply decodes later sees the sponsor's.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/record.hpp"
#include "lumeno/core/json/extra_data.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/models/offers/sponsor_location.hpp"

namespace lumeno {

struct TrimSponsor;

/// The full sponsor record, its keys read in the order of the fields. Its dates stay texts.
struct Sponsor {
    std::int64_t id = 0;                              ///< "id", strict
    std::optional<ExtraData> extraData;               ///< "extra_data", lenient
    std::optional<std::string> name;                  ///< "name", lenient
    /// No JSON key: `name` with every space removed, lower-cased (ICU); absent with it.
    std::optional<std::string> nameLowercased;
    std::optional<std::string> shortName;             ///< "short_name", lenient
    std::optional<std::int64_t> rank;                 ///< "rank", lenient
    bool isHost = false;                              ///< "is_host", strict: the programme's host sponsor
    std::optional<std::string> businessDescription;   ///< "description", lenient
    std::optional<std::string> address;               ///< "address", lenient
    std::optional<std::string> phoneNumber;           ///< "phone_number", lenient
    std::optional<std::string> status;                ///< "status", lenient
    std::optional<std::string> industry;              ///< "industry", lenient
    std::optional<std::string> logo;                  ///< "logo", lenient
    std::optional<std::string> url;                   ///< "url", lenient
    std::optional<std::string> startDate;             ///< "start_date", lenient
    std::optional<std::string> endDate;               ///< "end_date", lenient
    std::optional<std::string> contactPersonName;     ///< "contact_person_name", lenient
    std::optional<std::string> email;                 ///< "email", lenient
    std::int64_t country = 0;                         ///< "country", strict: an identifier
    std::optional<std::string> region;                ///< "region", lenient
    std::int64_t city = 0;                            ///< "city", strict: an identifier
    std::optional<std::string> countryName;           ///< "country_name", lenient
    std::optional<std::string> stateName;             ///< "state_name", lenient
    std::optional<std::string> cityName;              ///< "city_name", lenient
    std::vector<LocationTiming> timings;              ///< "sponsor_timings", strict
    std::optional<std::string> brandName;             ///< "brand_name", lenient
    std::optional<std::string> headerImage;           ///< "header", lenient

    /// A sponsor with every field at its default.
    Sponsor() = default;
    /// Copies the fields the two records share; `isHost` false when the trimmed one has none,
    /// `businessDescription` from `description`, `nameLowercased` derived from the name.
    explicit Sponsor(const TrimSponsor& trimmed);

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static Sponsor decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<Sponsor>::decode(json, decoder);
    }
};

/// The trimmed sponsor record, its keys read in the order of the fields.
struct TrimSponsor {
    std::int64_t id = 0;                       ///< "id", strict
    std::optional<ExtraData> extraData;        ///< "extra_data", lenient
    std::optional<std::string> name;           ///< "name", lenient
    /// No JSON key: `name` with every space removed, lower-cased (ICU); absent with it.
    std::optional<std::string> nameLowercased;
    std::optional<std::string> shortName;      ///< "short_name", lenient
    std::optional<bool> isHost;                ///< "is_host", strict
    std::optional<std::string> status;         ///< "status", lenient
    std::optional<std::string> industry;       ///< "industry", lenient
    std::optional<std::string> logo;           ///< "logo", lenient
    std::optional<std::string> brandName;      ///< "brand_name", lenient
    std::optional<std::string> headerImage;    ///< "header", lenient
    std::optional<std::string> description;    ///< "description", lenient

    /// A trimmed sponsor with every field at its default.
    TrimSponsor() = default;
    /// Copies the fields the two records share; `isHost` always set, `description` from
    /// `businessDescription`, `nameLowercased` derived from the name.
    explicit TrimSponsor(const Sponsor& sponsor);

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static TrimSponsor decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<TrimSponsor>::decode(json, decoder);
    }
};

/// A record type with no fields; nothing in the library creates or reads it.
struct PrimarySponsorData {};

}  // namespace lumeno
