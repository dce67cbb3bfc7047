#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lumeno/core/json/record.hpp"

namespace lumeno {

/// The short sponsor entry of a member's favourite sponsors.
///
/// Decoding never touches the decoding context. "id" and "sponsor" are integers (a value of
/// another type fails the record); absent or null they decode as 0, not as absent.
/// "sponsor_name" and "sponsor_short_name" read as absent when they are not texts.
/// Encoding writes "id", "sponsor", "sponsor_name", "sponsor_short_name" in that order,
/// leaving out the key of every absent field.
struct SponsorMiniModel {
    std::optional<std::int64_t> id;           ///< "id"
    std::optional<std::int64_t> sponsor;      ///< "sponsor"
    std::optional<std::string> name;          ///< "sponsor_name"
    std::optional<std::string> shortName;     ///< "sponsor_short_name"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static SponsorMiniModel decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<SponsorMiniModel>::decode(json, decoder);
    }
    /// Writes the record; throws `EncodingError` for a number not finite or a text not UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<SponsorMiniModel>::toJson(*this); }
};

}  // namespace lumeno
