#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/json/extra_data.hpp"

namespace lumeno::json {

/// The identifier of a map decoded under `decoder`: the context's `prefix` followed by its
/// `transferId`, each empty when absent; empty without a context.
std::string contextId(const Decoder& decoder, std::optional<std::string> DataTransferModel::*prefix);

/// One attribute per entry of the object `json` whose value is not null, in the object's order:
/// the id `id + key`, the key, and the value as text (`renderText` of its free-form reading).
/// Throws `DecodingError` when `json` is not an object.
std::vector<CustomAttribute> customAttributes(const JsonValue& json, const std::string& id);

}  // namespace lumeno::json
