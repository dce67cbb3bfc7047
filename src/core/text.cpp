#include "core/text.hpp"

#include "core/icu.hpp"

namespace lumeno::detail {

std::string lowercasedSearchName(std::string_view name) {
    std::string spaceless(name);
    std::erase(spaceless, ' ');  // in UTF-8 the byte 0x20 is only ever the space itself
    const std::u16string text = utf16(spaceless);
    // In the root locale (""); full case mapping may lengthen a text ("İ" becomes two units).
    return utf8(writtenText(text.size(), [&](UChar* out, std::int32_t room, UErrorCode* status) {
        return icu().u_strToLower(out, room, text.data(), static_cast<std::int32_t>(text.size()), "", status);
    }));
}

}  // namespace lumeno::detail
