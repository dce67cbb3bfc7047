#pragma once

#include <string>
#include <vector>

#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/json.hpp"

namespace lumeno {

/// One attribute of an open attribute map.
struct CustomAttribute {
    std::string id;     ///< the map's id followed by the key
    std::string key;    ///< the JSON key
    std::string value;  ///< the value as text

    friend bool operator==(const CustomAttribute&, const CustomAttribute&) = default;
};

/// An open attribute map carried by many records.
///
/// `id` is no JSON key: under a decoding context it is the context's `prefixExtraData`
/// followed by its `transferId` (each empty when absent); without one it is empty. Every
/// non-null entry of the object becomes an attribute with the id `id + key` and the value
/// as text: a text unchanged, a flag as "true"/"false", a number in decimal notation.
struct ExtraData {
    std::string id;                                 ///< see above
    std::vector<CustomAttribute> customAttributes;  ///< one per non-null entry

    /// Accepts any JSON object; throws `DecodingError` on any other value.
    static ExtraData decode(const JsonValue& json, const Decoder& decoder);
};

}  // namespace lumeno
