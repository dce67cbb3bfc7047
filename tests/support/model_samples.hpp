#pragma once

// Table-driven record decoding: each sample decodes a JSON text through a view (decode, then show
// the record as JSON) and compares the result by value, or expects `DecodingError` (nullptr).

#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <span>

#include "lumeno/core/json/readers.hpp"

namespace lumeno::test {

using View = JsonValue (*)(const JsonValue& json, const Decoder& decoder);

struct Sample {
    View view;
    const char* json;
    const char* expected;  ///< nullptr: decoding throws `DecodingError`
};

/// The listed fields of the decoded `T`, as a JSON array.
template <class T, auto... field>
JsonValue fields(const JsonValue& json, const Decoder& decoder) {
    const T record = T::decode(json, decoder);
    return JsonArray{json::encodeValue(record.*field)...};
}

/// The decoded `T`'s own JSON.
template <class T>
JsonValue encoded(const JsonValue& json, const Decoder& decoder) {
    return T::decode(json, decoder).toJson();
}

/// Checks every sample; each view also has to reject every JSON value that is not an object.
inline void checkSamples(std::span<const Sample> samples, const Decoder& decoder = {}) {
    for (const auto& [view, text, expected] : samples) {
        if (expected == nullptr)
            EXPECT_THROW(view(boost::json::parse(text), decoder), DecodingError) << text;
        else
            EXPECT_EQ(view(boost::json::parse(text), decoder), boost::json::parse(expected)) << text;
        for (const char* other : {"[]", "null", "1", "\"x\"", "true"})
            EXPECT_THROW(view(boost::json::parse(other), decoder), DecodingError) << other;
    }
}

}  // namespace lumeno::test
