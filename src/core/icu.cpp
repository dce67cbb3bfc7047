#include "core/icu.hpp"

#include <unicode/uvernum.h>

#include <cstdint>
#include <stdexcept>

#include "core/fatal.hpp"

namespace lumeno::detail {

const IcuFunctions& icu() {
    // Never destroyed: formatters that statics hold close through it when the process exits.
    static const IcuFunctions* const functions = [] {
        // The i18n library brings in the common one, where the string functions are.
        auto loaded = loadFunctions<IcuFunctions>("libicui18n.so." U_ICU_VERSION_SHORT);
        // As when a library the process links is missing: the installation is broken.
        if (!loaded) fatal("Cannot load ICU: " + loaded.error());
        return new IcuFunctions(*loaded);
    }();
    return *functions;
}

namespace {

/// `text` in the other encoding through ICU's `convert`, each sequence that has no code point
/// written as U+FFFD, in room for `most` units for each unit of `text` (which is never short).
template <class Out, class In, class Convert>
Out converted(In text, std::size_t most, Convert convert) {
    if (text.size() > static_cast<std::size_t>(INT32_MAX) / most) throw std::length_error("A text too long for ICU");
    Out out(text.size() * most, {});
    std::int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    convert(out.data(), static_cast<std::int32_t>(out.size()), &length, text.data(),
            static_cast<std::int32_t>(text.size()), 0xFFFD, nullptr, &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

}  // namespace

// A UTF-8 sequence never becomes more UTF-16 units than it has bytes; a UTF-16 unit never
// becomes more than three bytes (a pair of them, four).
std::u16string utf16(std::string_view text) { return converted<std::u16string>(text, 1, icu().u_strFromUTF8WithSub); }

std::string utf8(std::u16string_view text) { return converted<std::string>(text, 3, icu().u_strToUTF8WithSub); }

}  // namespace lumeno::detail
