#pragma once

#include "core/json/fields.hpp"
#include "lumeno/core/error.hpp"

namespace lumeno::detail {

using LER = LumenoErrorResponse;
inline constexpr auto errorEntryKeys = fields<LER>(
    lenient("field", &LER::field), lenient("message", &LER::message), lenient("code", &LER::code),
    lenient("type", &LER::type), lenient("status_code", &LER::statusCode), lenient("data", &LER::data));
template <> inline constexpr const auto& keysOf<LER> = errorEntryKeys;

}  // namespace lumeno::detail
