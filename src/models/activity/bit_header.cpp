#include <algorithm>
#include <charconv>
#include <cmath>

#include "models/activity/bit_header_keys.hpp"

namespace lumeno {

using namespace detail;

std::optional<std::int64_t> detail::decimalInteger(std::string_view text) {
    // from_chars takes a "-" but no "+", and neither sign must be followed by another.
    const std::string_view digits = text.starts_with('+') || text.starts_with('-') ? text.substr(1) : text;
    if (digits.empty() || !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    if (text.starts_with('+')) text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::int64_t> detail::roundedInteger(const JsonValue& json) {
    // An integral number stays exact, beyond 2^53 too.
    if (auto exact = json::toInt64(json)) return exact;
    const auto number = json::toDouble(json);
    if (!number) return std::nullopt;
    // std::round takes halves away from zero; toInt64 checks the 64-bit range before converting.
    return json::toInt64(JsonValue(std::round(*number)));
}


}  // namespace lumeno
