#pragma once

#include <optional>
#include <string_view>

#include "lumeno/core/json/readers.hpp"

namespace lumeno::detail {

/// Writes `value` under `key`; an absent value leaves the key out.
template <class T>
void putPresent(JsonObject& object, std::string_view key, const std::optional<T>& value) {
    if (value) object[key] = json::encodeValue(*value);
}

}  // namespace lumeno::detail
