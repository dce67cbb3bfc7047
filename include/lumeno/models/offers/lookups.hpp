#pragma once

// Reference data for pick lists: programme look-up values, countries, regions and cities.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record, and with it the whole list reply), lenient (absent, null or a
// value of another type gives the default), required (the key must be present with a value
// of the right type). None of these records uses the decoding context.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/json/record.hpp"

namespace lumeno {

/// One programme look-up value. Encodes every key, an absent field as null; `nameLowercased`
/// is never encoded.
struct LookUp {
    /// One translation of a look-up value. Encodes only its present fields.
    struct Localisation {
        std::optional<std::string> name;        ///< "name", strict
        std::optional<std::string> localeCode;  ///< "locale_code", strict

        /// Reads the record by the rules above; throws `DecodingError` when one is broken.
        static Localisation decode(const JsonValue& json, const Decoder& decoder) {
            return detail::Record<Localisation>::decode(json, decoder);
        }
        /// Writes the record; throws `EncodingError` for a number not finite or a text not UTF-8.
        [[nodiscard]] JsonValue toJson() const { return detail::Record<Localisation>::toJson(*this); }
    };

    std::int64_t id = 0;                             ///< "id", strict
    std::optional<std::string> type;                 ///< "type", lenient: the look-up list it belongs to
    std::optional<std::string> lookupDescription;    ///< "description", lenient
    std::optional<std::string> code;                 ///< "code", lenient
    std::optional<std::string> name;                 ///< "name", lenient
    bool active = false;                             ///< "active", strict
    /// No key: `name` with every space removed, then lowercased; absent without a name.
    std::optional<std::string> nameLowercased;
    /// "localisations": absent or null gives an empty list; a value that is not a list, or a
    /// translation that fails, gives absent and the look-up value stands.
    std::optional<std::vector<Localisation>> localisations;

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static LookUp decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<LookUp>::decode(json, decoder);
    }
    /// Writes the record; throws `EncodingError` for a number not finite or a text not UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<LookUp>::toJson(*this); }
};

/// A region of a country. Encodes every key, an absent field as null.
struct Region {
    std::int64_t id = 0;                      ///< "id", strict
    std::optional<std::string> name;          ///< "name", lenient
    std::optional<std::string> regionCode;    ///< "region_code", lenient
    std::int64_t country = 0;                 ///< "country", strict
    std::optional<std::string> countryName;   ///< "country_name", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static Region decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<Region>::decode(json, decoder);
    }
    /// Writes the record; throws `EncodingError` for a number not finite or a text not UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<Region>::toJson(*this); }
};

/// A country. Encodes every key, an absent field as null.
struct Country {
    std::int64_t id = 0;                  ///< "id", strict
    std::optional<std::string> name;      ///< "name", lenient
    std::optional<std::string> isoCode;   ///< "iso_code", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static Country decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<Country>::decode(json, decoder);
    }
    /// Writes the record; throws `EncodingError` for a number not finite or a text not UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<Country>::toJson(*this); }
};

/// One city of a region. Encodes only its present fields.
struct GetCitiesResponse {
    std::int64_t id = 0;                          ///< "id", required: a city without it fails the reply
    std::optional<std::string> name;              ///< "name", lenient
    std::optional<std::string> cityCode;          ///< "city_code", lenient
    std::optional<std::int64_t> versionCounter;   ///< "version_counter", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static GetCitiesResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<GetCitiesResponse>::decode(json, decoder);
    }
    /// Writes the record; throws `EncodingError` for a number not finite or a text not UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<GetCitiesResponse>::toJson(*this); }
};

}  // namespace lumeno
