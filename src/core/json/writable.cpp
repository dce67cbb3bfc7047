#include <unicode/ustring.h>

#include <climits>
#include <cmath>
#include <string>
#include <string_view>

#include "core/json/writable.hpp"

namespace lumeno::json {

namespace {

bool validUtf8(std::string_view text) {
    // ICU measures texts in 32 bits; no request carries a text of 2 GiB.
    if (text.size() > static_cast<std::size_t>(INT32_MAX)) return false;
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    // Measuring the UTF-16 length reports an ill-formed sequence (overlong forms and encoded
    // surrogates included) as U_INVALID_CHAR_FOUND; a well-formed text only overflows the
    // empty buffer.
    u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
    return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status);
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
