#pragma once

// Table-driven record decoding: each sample is a JSON text and either the expected view of
// the decoded record (compared by value) or nullptr when decoding must fail.

#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <span>

#include "lumeno/core/json/readers.hpp"

namespace lumeno::test {

struct Sample {
    const char* json;
    const char* expected;  ///< nullptr: decoding throws `DecodingError`
};

/// Decodes every sample as `T` with `decoder` and compares `view(record)` with the expectation.
template <class T, class View>
void checkSamples(std::span<const Sample> samples, View view, const Decoder& decoder = {}) {
    for (const auto& sample : samples) {
        const JsonValue json = boost::json::parse(sample.json);
        if (sample.expected == nullptr) {
            EXPECT_THROW(T::decode(json, decoder), DecodingError) << sample.json;
        } else {
            try {
                EXPECT_EQ(JsonValue(view(T::decode(json, decoder))), boost::json::parse(sample.expected)) << sample.json;
            } catch (const DecodingError& error) {
                ADD_FAILURE() << sample.json << ": " << error.what();
            }
        }
    }
}

/// The encodable record's own JSON as its view.
inline constexpr auto encoded = [](const auto& record) { return JsonValue(record.toJson()); };

/// Every record type rejects a value that is not an object.
template <class... T>
void expectNonObjectsRejected() {
    const auto rejects = [](auto decode) {
        for (const char* json : {"[]", "null", "1", "\"x\"", "true"})
            EXPECT_THROW(decode(boost::json::parse(json), Decoder{}), DecodingError) << json;
    };
    (rejects(&T::decode), ...);
}

}  // namespace lumeno::test
