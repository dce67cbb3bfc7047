#include "models/activity/activity_dates.hpp"

#include <mutex>
#include <vector>

#include "lumeno/core/lumeno.hpp"

namespace lumeno::detail {

namespace {

// The formatters of the programme's current zone, built again only when the zone changes.
// Copies share their ICU formatter, which is safe from any thread.
std::vector<DateFormatter> activityDateFormats() {
    static std::mutex mutex;
    static std::string zone;
    static std::vector<DateFormatter> formats;
    std::string current = programTimeZoneId(Lumeno::shared().settings()->programTimeZone);
    std::lock_guard lock(mutex);
    if (formats.empty() || zone != current) {
        formats = {DateFormatter("yyyy-MM-dd'T'HH:mm:ssZ", "en_US_POSIX", current),
                   DateFormatter("yyyy-MM-dd'T'HH:mm:ss.SSSSSSZ", "en_US_POSIX", current)};
        zone = std::move(current);
    }
    return formats;
}

}  // namespace

Date activityDate(const std::optional<std::string>& text) {
    if (!text) return kFallbackDate;
    return toDate(*text, activityDateFormats()).value_or(kFallbackDate);
}

std::string activityDateText(Date date) { return activityDateFormats().front().string(date); }

}  // namespace lumeno::detail
