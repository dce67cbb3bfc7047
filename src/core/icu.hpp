#pragma once

// ICU, for writing dates, reading those the ISO-8601 reader leaves to it, and case mapping, is
// loaded the first time one of them needs it, not at the start of every process. Its C
// functions carry the version in their names (urename.h), and the library is opened by the
// soname of the version the library was built against.

#include <unicode/ucal.h>
#include <unicode/uchar.h>
#include <unicode/udat.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "core/dynamic_library.hpp"

#define LUMENO_ICU_FUNCTIONS(X)                                                                     \
    X(u_isdigit) X(u_strFromUTF8WithSub) X(u_strToLower) X(u_strToUTF8WithSub) X(ucal_close)       \
    X(ucal_get) X(ucal_getDefaultTimeZone) X(ucal_getTimeZoneTransitionDate) X(ucal_open)           \
    X(ucal_setMillis) X(udat_close) X(udat_format) X(udat_open) X(udat_parse) X(udat_setLenient)

namespace lumeno::detail {

LUMENO_FUNCTION_TABLE(IcuFunctions, LUMENO_ICU_FUNCTIONS);

/// ICU's functions, the library loaded on the first call; the process stops with "Cannot load
/// ICU: " and the loader's reason when it cannot be loaded.
const IcuFunctions& icu();

/// `text` in UTF-16, each ill-formed sequence read as U+FFFD (as ICU's own strings take
/// UTF-8); throws `std::length_error` for a text of 2 GiB or more, which ICU cannot measure.
std::u16string utf16(std::string_view text);

/// `text` in UTF-8, each unpaired surrogate written as U+FFFD.
std::string utf8(std::u16string_view text);

/// The text an ICU function writes: `write(buffer, capacity, status)` returns the length it
/// has or needs, and is called again with room for that when `room` units are not enough.
/// Empty when it fails.
template <class Write>
std::u16string writtenText(std::size_t room, Write write) {
    std::u16string out(room, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        const std::int32_t length = write(out.data(), static_cast<std::int32_t>(out.size()), &status);
        const bool tooShort = status == U_BUFFER_OVERFLOW_ERROR;
        out.resize(U_SUCCESS(status) || tooShort ? static_cast<std::size_t>(length) : 0);
        if (!tooShort) return out;
    }
    return {};
}

}  // namespace lumeno::detail
