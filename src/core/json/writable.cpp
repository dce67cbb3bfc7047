#include <cmath>
#include <string>
#include <string_view>

#include "core/json/writable.hpp"

namespace lumeno::json {

namespace {

/// The continuation bytes a lead byte takes, and the range the first of them falls in (the
/// rest take 0x80-0xBF); `more` is 0 for a byte that leads nothing.
struct Lead {
    int more;
    unsigned char low, high;
};

constexpr Lead leadOf(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return {1, 0x80, 0xBF};
    if (byte == 0xE0) return {2, 0xA0, 0xBF};  // not an overlong form
    if (byte == 0xED) return {2, 0x80, 0x9F};  // not a surrogate
    if (byte >= 0xE1 && byte <= 0xEF) return {2, 0x80, 0xBF};
    if (byte == 0xF0) return {3, 0x90, 0xBF};  // not an overlong form
    if (byte >= 0xF1 && byte <= 0xF3) return {3, 0x80, 0xBF};
    if (byte == 0xF4) return {3, 0x80, 0x8F};  // nothing past U+10FFFF
    return {0, 0, 0};
}

/// Whether `text` is well-formed UTF-8 (NUL included).
bool validUtf8(std::string_view text) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char first = byte(at++);
        if (first < 0x80) continue;
        const Lead lead = leadOf(first);
        const auto more = static_cast<std::size_t>(lead.more);
        if (more == 0 || text.size() - at < more || byte(at) < lead.low || byte(at) > lead.high) return false;
        for (std::size_t i = 1; i < more; ++i)
            if ((byte(at + i) & 0xC0) != 0x80) return false;
        at += more;
    }
    return true;
}

}  // namespace

std::optional<std::string_view> unwritable(const JsonArray& json) {
    for (const auto& element : json)
        if (const auto fault = unwritable(element)) return fault;
    return std::nullopt;
}

std::optional<std::string_view> unwritable(const JsonObject& json) {
    for (const auto& [key, value] : json) {
        if (!validUtf8(key)) return "A key that is not valid UTF-8 cannot be written as JSON.";
        if (const auto fault = unwritable(value)) return fault;
    }
    return std::nullopt;
}

std::optional<std::string_view> unwritable(const JsonValue& json) {
    switch (json.kind()) {
        case boost::json::kind::double_:
            if (!std::isfinite(json.get_double())) return "A number that is not finite cannot be written as JSON.";
            return std::nullopt;
        case boost::json::kind::string:
            if (!validUtf8(json.get_string())) return "A text that is not valid UTF-8 cannot be written as JSON.";
            return std::nullopt;
        case boost::json::kind::array: return unwritable(json.get_array());
        case boost::json::kind::object: return unwritable(json.get_object());
        default: return std::nullopt;
    }
}

JsonValue writable(JsonValue json) {
    if (const auto fault = unwritable(json)) throw EncodingError(std::string(*fault));
    return json;
}

}  // namespace lumeno::json
