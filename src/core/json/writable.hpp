#pragma once

#include <optional>
#include <string_view>

#include "lumeno/core/json/json.hpp"

namespace lumeno::json {

/// Why JSON text cannot carry `json` (a number that is not finite, or a key or text that is
/// not valid UTF-8, at any depth), or nothing when it can. Reads in place, as `writable`
/// checks.
std::optional<std::string_view> unwritable(const JsonValue& json);
std::optional<std::string_view> unwritable(const JsonObject& json);
std::optional<std::string_view> unwritable(const JsonArray& json);

}  // namespace lumeno::json
