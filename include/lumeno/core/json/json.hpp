#pragma once

#include <boost/json/array.hpp>
#include <boost/json/object.hpp>
#include <boost/json/value.hpp>
#include <concepts>

namespace lumeno {

using JsonValue = boost::json::value;
using JsonObject = boost::json::object;
using JsonArray = boost::json::array;

/// A record that encodes itself: `JsonValue toJson() const`.
template <class T>
concept EncodableModel = requires(const T& value) {
    { value.toJson() } -> std::convertible_to<JsonValue>;
};

}  // namespace lumeno
