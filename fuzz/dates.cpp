// Date and expiry texts: the model formats, a pattern of abutting fields, and the credentials
// manager's expiry arithmetic and stored "expiry". Never a crash; every instant within what a
// `Date` holds; what UTC formats and the store write reads back as the same instant; the
// models' quick reading of a date gives what the formats give, in zones with and without
// changes of offset.

#include <chrono>

#include "check.hpp"
#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/date_utils.hpp"

using namespace lumeno;
using namespace std::chrono;
using fuzz::require;

namespace {

// The manager clamps expiries here; the formats read nothing beyond it.
constexpr seconds kLimit(9'200'000'000);

bool inRange(Date date) { return abs(date.time_since_epoch()) <= kLimit; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const DateUtils utc(std::nullopt);
    static const DateUtils kolkata(std::optional<std::string>("IST"));
    static const DateUtils losAngeles(std::optional<std::string>("PST"));
    static const DateFormatter compact("yyyyMMddHHmmss", "en_US_POSIX", "UTC");
    static const CredentialsManager manager(KeychainWrapper("fuzz.credentials"),
                                            [] { return Date(seconds(1'700'000'000)); });
    const std::string_view text = fuzz::text(data, size);

    if (const auto date = toDate(text, utc.dateFormats())) {
        require(inRange(*date), "a parsed date is within range");
        const DateFormatter& full = utc.dateFormats()[1];
        require(full.date(full.string(*date)) == *date, "a UTC date formats and parses back");
    }
    if (const auto date = toDate(text, kolkata.dateFormats())) require(inRange(*date), "a zoned date is within range");
    for (const DateUtils* utils : {&utc, &kolkata, &losAngeles})
        require(utils->date(text) == toDate(text, utils->dateFormats()), "the quick reading agrees with the formats");
    if (const auto date = compact.date(text)) require(inRange(*date), "an abutting date is within range");

    const Date expiry = manager.expiryFrom(text);
    require(inRange(expiry), "an expiry is within range");
    manager.setExpiryDate(expiry);
    require(manager.expiryDate() == floor<milliseconds>(expiry), "a stored expiry reads back to the millisecond");
    manager.setExpiryDateString(std::string(text));
    if (const auto stored = manager.expiryDate()) require(inRange(*stored), "a stored expiry text is within range");
    return 0;
}
