#include "core/text.hpp"

#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace lumeno::detail {

std::string lowercasedSearchName(std::string_view name) {
    std::string spaceless(name);
    std::erase(spaceless, ' ');  // in UTF-8 the byte 0x20 is only ever the space itself
    std::string out;
    icu::UnicodeString::fromUTF8(spaceless).toLower(icu::Locale::getRoot()).toUTF8String(out);
    return out;
}

}  // namespace lumeno::detail
