// Date and expiry texts: the model formats, a pattern of abutting fields, and the credentials
// manager's expiry arithmetic and stored "expiry". Never a crash; every instant within what a
// `Date` holds; what UTC formats and the store write reads back as the same instant; whatever
// the ISO-8601 reader decides of a text, ICU alone decides the same.

#include <chrono>
#include <deque>

#include "check.hpp"
#include "core/iso_dates.hpp"
#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/date_utils.hpp"

using namespace lumeno;
using namespace std::chrono;
using fuzz::require;

namespace {

// The manager clamps expiries here; the formats read nothing beyond it.
constexpr seconds kLimit(9'200'000'000);

bool inRange(Date date) { return abs(date.time_since_epoch()) <= kLimit; }

/// A formatter and the ISO-8601 reader of the same pattern and zone.
struct Reading {
    Reading(const char* pattern, const char* zone)
        : formatter(pattern, "en_US_POSIX", zone), reader(pattern, "en_US_POSIX", zone) {}

    DateFormatter formatter;
    detail::IsoDateReader reader;
};

/// The platform's ISO-8601 patterns in zones without changes of offset, with changes at night
/// and at midnight, and with offsets of seconds before 1906.
const std::deque<Reading>& readings() {
    static const std::deque<Reading> all = [] {
        std::deque<Reading> out;
        for (const char* zone : {"UTC", "America/Chicago", "America/Santiago", "Asia/Kolkata"})
            for (const char* pattern : {"yyyy-MM-dd'T'HH:mm:ssZ", "yyyy-MM-dd'T'HH:mm:ss.SSSZ",
                                        "yyyy-MM-dd'T'HH:mm:ss.SSSSSSZ", "yyyy-MM-dd'T'HH:mm:ss", "yyyy-MM-dd"})
                out.emplace_back(pattern, zone);
        return out;
    }();
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const DateUtils utc(std::nullopt);
    static const DateUtils kolkata(std::optional<std::string>("IST"));
    static const DateFormatter compact("yyyyMMddHHmmss", "en_US_POSIX", "UTC");
    static const CredentialsManager manager(KeychainWrapper("fuzz.credentials"),
                                            [] { return Date(seconds(1'700'000'000)); });
    const std::string_view text = fuzz::text(data, size);

    for (const Reading& reading : readings())
        if (const auto verdict = reading.reader.read(text); verdict.decided)
            require(verdict.date == detail::icuDate(reading.formatter, text), "the ISO-8601 reader decides as ICU");

    if (const auto date = toDate(text, utc.dateFormats())) {
        require(inRange(*date), "a parsed date is within range");
        const DateFormatter& full = utc.dateFormats()[1];
        require(full.date(full.string(*date)) == *date, "a UTC date formats and parses back");
    }
    if (const auto date = toDate(text, kolkata.dateFormats())) require(inRange(*date), "a zoned date is within range");
    if (const auto date = compact.date(text)) require(inRange(*date), "an abutting date is within range");

    const Date expiry = manager.expiryFrom(text);
    require(inRange(expiry), "an expiry is within range");
    manager.setExpiryDate(expiry);
    require(manager.expiryDate() == floor<milliseconds>(expiry), "a stored expiry reads back to the millisecond");
    manager.setExpiryDateString(std::string(text));
    if (const auto stored = manager.expiryDate()) require(inRange(*stored), "a stored expiry text is within range");
    return 0;
}
