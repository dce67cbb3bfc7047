#pragma once

#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/json.hpp"

#include <concepts>

namespace lumeno {

/// A record that decodes itself: `static T decode(const JsonValue&, const Decoder&)`.
template <class T>
concept DecodableModel = requires(const JsonValue& json, const Decoder& decoder) {
    { T::decode(json, decoder) } -> std::same_as<T>;
};

}  // namespace lumeno

namespace lumeno::detail {

/// What a record's `decode` and `toJson` run: defined once inside the library from the record's
/// key table, for every record.
template <class R>
struct Record {
    /// Throws `DecodingError` when `json` is not an object or a key breaks its rule.
    static R decode(const JsonValue& json, const Decoder& decoder)
        requires DecodableModel<R>;
    /// Throws `EncodingError` when the record holds a number that is not finite or a text that is
    /// not valid UTF-8.
    static JsonValue toJson(const R& record)
        requires EncodableModel<R>;
};

}  // namespace lumeno::detail
