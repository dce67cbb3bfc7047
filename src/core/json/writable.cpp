#include <unicode/ustring.h>

#include <climits>
#include <cmath>
#include <string>
#include <string_view>

#include "lumeno/core/json/json.hpp"

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

void check(const JsonValue& json) {
    switch (json.kind()) {
        case boost::json::kind::double_:
            if (!std::isfinite(json.get_double()))
                throw EncodingError("A number that is not finite cannot be written as JSON.");
            break;
        case boost::json::kind::string:
            if (!validUtf8(json.get_string())) throw EncodingError("A text that is not valid UTF-8 cannot be written as JSON.");
            break;
        case boost::json::kind::array:
            for (const auto& element : json.get_array()) check(element);
            break;
        case boost::json::kind::object:
            for (const auto& [key, value] : json.get_object()) {
                if (!validUtf8(key)) throw EncodingError("A key that is not valid UTF-8 cannot be written as JSON.");
                check(value);
            }
            break;
        default: break;
    }
}

}  // namespace

JsonValue writable(JsonValue json) {
    check(json);
    return json;
}

}  // namespace lumeno::json
