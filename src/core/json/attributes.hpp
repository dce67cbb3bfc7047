#pragma once

#include <string>
#include <vector>

#include "lumeno/core/json/extra_data.hpp"

namespace lumeno::json {

/// One attribute per entry of the object `json` whose value is not null, in the object's order:
/// the id `id + key`, the key, and the value as text (`renderText` of its free-form reading).
/// Throws `DecodingError` when `json` is not an object.
std::vector<CustomAttribute> customAttributes(const JsonValue& json, const std::string& id);

}  // namespace lumeno::json
