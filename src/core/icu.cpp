#include "core/icu.hpp"

#include <unicode/uvernum.h>

#include <climits>
#include <stdexcept>

#include "core/fatal.hpp"

namespace lumeno::detail {

const IcuFunctions& icu() {
    // The i18n library brings in the common one, where the string functions are.
    static const auto loaded = loadFunctions<IcuFunctions>("libicui18n.so." U_ICU_VERSION_SHORT);
    // As when a library the process links is missing: the installation is broken.
    if (!loaded) fatal("Cannot load ICU: " + loaded.error());
    return *loaded;
}

std::u16string utf16(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(INT32_MAX)) throw std::length_error("A text too long for ICU");
    // A UTF-8 sequence never becomes more UTF-16 units than it has bytes.
    std::u16string out(text.size(), u'\0');
    std::int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    icu().u_strFromUTF8WithSub(out.data(), static_cast<std::int32_t>(out.size()), &length, text.data(),
                               static_cast<std::int32_t>(text.size()), 0xFFFD, nullptr, &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

std::string utf8(std::u16string_view text) {
    // A UTF-16 unit never becomes more than three bytes (a pair of them, four).
    if (text.size() > static_cast<std::size_t>(INT32_MAX / 3)) throw std::length_error("A text too long for ICU");
    std::string out(text.size() * 3, '\0');
    std::int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    icu().u_strToUTF8WithSub(out.data(), static_cast<std::int32_t>(out.size()), &length, text.data(),
                             static_cast<std::int32_t>(text.size()), 0xFFFD, nullptr, &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

}  // namespace lumeno::detail
