#pragma once

// Table-driven record decoding: each sample decodes a JSON text through a view (decode, then show
// the record as JSON) and compares the result by value, or expects `DecodingError` (nullptr).

#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <span>

#include "core/json/fields.hpp"

namespace lumeno::test {

using View = JsonValue (*)(const JsonValue& json, const Decoder& decoder);

struct Sample {
    View view;
    const char* json;
    const char* expected;  ///< nullptr: decoding throws `DecodingError`
};

/// A field as JSON for comparison: as the record encodes it, and a nested record that has no
/// encoding as `true`.
struct Show {
    template <class T>
    JsonValue operator()(const T& value) const {
        if constexpr (json::IsOptional<T>::value) {
            return value ? (*this)(*value) : JsonValue(nullptr);
        } else if constexpr (json::IsVector<T>::value) {
            JsonArray out;
            for (const auto& element : value) out.push_back((*this)(element));
            return out;
        } else if constexpr (requires { JsonValue(value); } || EncodableModel<T>) {
            return json::encodeValue(value);
        } else {
            return true;
        }
    }
};

/// The record that `keys` decodes from `json`, keyed fields only, absent ones as null.
template <class Keys>
JsonObject shown(const Keys& keys, const JsonValue& json, const Decoder& decoder) {
    return keys.encode(keys.decode(json, decoder), detail::Absent::null, Show{});
}

/// The keyed fields of the record that `keys` decodes, in table order, as a JSON array.
template <const auto& keys>
JsonValue row(const JsonValue& json, const Decoder& decoder) {
    JsonArray out;
    for (auto& [key, value] : shown(keys, json, decoder)) out.push_back(value);
    return out;
}

/// Every key of `keys`, the steps that read a key their own way included, follows its rule word:
/// a value of another type fails a strict or required key and leaves a lenient key at its default
/// (a lenient key that absence fills with an empty value is left absent instead); an absent key
/// fails only a required one.
template <class Keys>
void checkRules(const Keys& keys, const Decoder& decoder = {}) {
    using Rule = detail::Rule;
    bool anyRequired = false;
    for (const auto& rule : keys.rules()) anyRequired |= rule.rule == Rule::required && !rule.presentOnly;
    if (anyRequired) {
        EXPECT_THROW(keys.decode(JsonObject{}, decoder), DecodingError);
    }
    for (const auto& rule : keys.rules()) {
        if (rule.mismatch == nullptr) continue;
        const JsonValue json = JsonObject{{rule.key, rule.mismatch()}};
        if (rule.rule != Rule::lenient) {
            EXPECT_THROW(keys.decode(json, decoder), DecodingError) << rule.key;
        } else if (!anyRequired) {
            JsonObject mismatched = shown(keys, json, decoder);
            JsonObject absent = shown(keys, JsonObject{}, decoder);
            if (rule.filled) {
                EXPECT_EQ(mismatched.at(rule.key), nullptr) << rule.key;
                EXPECT_NE(absent.at(rule.key), nullptr) << rule.key;
                mismatched.erase(rule.key), absent.erase(rule.key);
            }
            EXPECT_EQ(mismatched, absent) << rule.key;
        }
    }
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
