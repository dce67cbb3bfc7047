#pragma once

// The dates of the activity records: their own two formats, tried in order,
// "yyyy-MM-dd'T'HH:mm:ssZ" then "yyyy-MM-dd'T'HH:mm:ss.SSSSSSZ" (six fraction digits, kept to
// the millisecond), in the programme's time zone as it stands at each use. The locale is
// "en_US_POSIX": a host whose default locale has another calendar, other digits or a 12-hour
// clock still reads and writes the platform's dates.

#include <optional>
#include <string>

#include "lumeno/core/date_utils.hpp"

namespace lumeno::detail {

/// The instant of a date text; `kFallbackDate` when the text is absent or neither format reads it.
Date activityDate(const std::optional<std::string>& text);

/// `date` written with the first format ("2024-01-02T10:00:00+0000").
std::string activityDateText(Date date);

}  // namespace lumeno::detail
