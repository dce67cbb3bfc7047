#pragma once

#include <boost/json/array.hpp>
#include <boost/json/object.hpp>
#include <boost/json/value.hpp>
#include <concepts>
#include <stdexcept>

namespace lumeno {

/// Any JSON value, as request bodies, URL parameters and free-form record values are given.
using JsonValue = boost::json::value;
/// A JSON object: a body, or the parameters a call sends as its URL query.
using JsonObject = boost::json::object;
/// A JSON list.
using JsonArray = boost::json::array;

/// A record that encodes itself: `JsonValue toJson() const`.
template <class T>
concept EncodableModel = requires(const T& value) {
    { value.toJson() } -> std::convertible_to<JsonValue>;
};

/// An encoding failure: the record holds a value that JSON text cannot carry. A record's
/// `toJson()` throws it rather than write "NaN", "Infinity" or broken bytes.
class EncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace json {

/// `json` unchanged when JSON text can carry it; throws `EncodingError` when it holds, at any
/// depth, a number that is not finite or a text (key or value) that is not valid UTF-8.
JsonValue writable(JsonValue json);

}  // namespace json

}  // namespace lumeno
