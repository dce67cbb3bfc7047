#pragma once

// Free-form JSON: maps and lists of any JSON value, as the records carry them.

#include <string>

#include "lumeno/core/json/json.hpp"
#include "lumeno/export.hpp"

namespace lumeno::json {

/// Reads an object with arbitrary keys. Each value is kept as a flag, text, integer, other
/// number, nested map (read the same way) or nested list (read as `anyList`); keys whose value
/// is null are left out. Throws `DecodingError` when `json` is not an object.
LUMENO_EXPORT JsonObject anyMap(const JsonValue& json);

/// Reads a list element by element: flags, numbers (always as floating-point values), texts,
/// nested maps and lists; null elements are dropped. Throws `DecodingError` when `json` is not a list.
LUMENO_EXPORT JsonArray anyList(const JsonValue& json);

/// A value as text: a text unchanged, a flag as "true" or "false", an integer in decimal, any
/// other number in its shortest round-trip form, and anything else as compact JSON.
LUMENO_EXPORT std::string renderText(const JsonValue& json);

}  // namespace lumeno::json
