#include "core/search_name.hpp"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <limits>

namespace lumeno::detail {

std::optional<std::string> searchName(const std::optional<std::string>& name) {
    if (!name) return std::nullopt;
    std::string compact = *name;
    std::erase(compact, ' ');
    // ICU measures texts in 32-bit lengths; a longer name is no name anyone searches for.
    if (compact.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) return std::nullopt;
    icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(compact.data(), static_cast<int32_t>(compact.size())));
    std::string out;
    text.toLower(icu::Locale::getRoot()).toUTF8String(out);
    return out;
}

}  // namespace lumeno::detail
