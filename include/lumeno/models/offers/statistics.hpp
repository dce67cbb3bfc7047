#pragma once

// Analytics replies: sponsors with their enrolled members, categories with their sponsors.
// Their rows arrive as positional JSON arrays. None of these records uses the decoding context.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/json/record.hpp"

namespace lumeno {

// A row is read by position. A text property takes its element when it is a text, an integer
// property when it is an integral number within 64 bits (exact beyond 2^53 too); any other
// element, null included, and a position past the end give the property's default. Null
// elements keep their position. Elements past the last position are ignored. A row that is not
// a JSON array fails.

/// One sponsor row: [id, name, logo, business description, members enrolled].
struct SponsorStatistics {
    std::int64_t id = 0;
    std::optional<std::string> name;
    std::optional<std::string> logo;
    std::optional<std::string> businessDescription;
    std::int64_t memberEnrolled = 0;

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static SponsorStatistics decode(const JsonValue& json, const Decoder& decoder);
};

/// The sponsor analytics reply.
struct SponsorStatisticsResponse {
    std::optional<std::int64_t> totalCount;       ///< "total_count", lenient; read first
    std::vector<SponsorStatistics> sponsorsList;  ///< "sponsor_group", strict (one bad row fails the reply)

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static SponsorStatisticsResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<SponsorStatisticsResponse>::decode(json, decoder);
    }
};

/// One category row: [name, code, sponsor count].
struct CategoryStatistics {
    std::optional<std::string> name;
    std::optional<std::string> code;
    std::int64_t sponsorsCount = 0;

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static CategoryStatistics decode(const JsonValue& json, const Decoder& decoder);
};

/// The category analytics reply.
struct CategoryStatisticsResponse {
    std::vector<CategoryStatistics> categoriesList;  ///< "category_group", strict (one bad row fails the reply)

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static CategoryStatisticsResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<CategoryStatisticsResponse>::decode(json, decoder);
    }
};

}  // namespace lumeno
