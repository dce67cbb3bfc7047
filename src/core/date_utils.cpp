#include "lumeno/core/date_utils.hpp"

#include <unicode/basictz.h>
#include <unicode/smpdtfmt.h>
#include <unicode/tztrans.h>
#include <unicode/uchar.h>
#include <unicode/timezone.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <stdexcept>

#include "lumeno/core/lumeno.hpp"

namespace lumeno {

namespace {

// Zone abbreviations and the zone each stands for. Fixed here rather than taken from ICU,
// whose abbreviation look-ups depend on the locale. Ambiguous abbreviations take their most
// common meaning (CST: US Central, IST: India, BST: British Summer Time, GST: Gulf); AST is
// left out (Atlantic or Arabia). Sorted by abbreviation.
constexpr std::pair<std::string_view, std::string_view> kZoneAbbreviations[] = {
    {"ACDT", "Australia/Adelaide"},
    {"ACST", "Australia/Adelaide"},
    {"AEDT", "Australia/Sydney"},
    {"AEST", "Australia/Sydney"},
    {"AKDT", "America/Anchorage"},
    {"AKST", "America/Anchorage"},
    {"ART", "America/Argentina/Buenos_Aires"},
    {"AWST", "Australia/Perth"},
    {"BRT", "America/Sao_Paulo"},
    {"BST", "Europe/London"},
    {"CAT", "Africa/Maputo"},
    {"CDT", "America/Chicago"},
    {"CEST", "Europe/Paris"},
    {"CET", "Europe/Paris"},
    {"CLT", "America/Santiago"},
    {"COT", "America/Bogota"},
    {"CST", "America/Chicago"},
    {"EAT", "Africa/Nairobi"},
    {"EDT", "America/New_York"},
    {"EEST", "Europe/Athens"},
    {"EET", "Europe/Athens"},
    {"EST", "America/New_York"},
    {"GMT", "GMT"},
    {"GST", "Asia/Dubai"},
    {"HKT", "Asia/Hong_Kong"},
    {"HST", "Pacific/Honolulu"},
    {"ICT", "Asia/Bangkok"},
    {"IST", "Asia/Kolkata"},
    {"JST", "Asia/Tokyo"},
    {"KST", "Asia/Seoul"},
    {"MDT", "America/Denver"},
    {"MSK", "Europe/Moscow"},
    {"MST", "America/Denver"},
    {"MYT", "Asia/Kuala_Lumpur"},
    {"NZDT", "Pacific/Auckland"},
    {"NZST", "Pacific/Auckland"},
    {"PDT", "America/Los_Angeles"},
    {"PET", "America/Lima"},
    {"PHST", "Asia/Manila"},
    {"PHT", "Asia/Manila"},
    {"PKT", "Asia/Karachi"},
    {"PST", "America/Los_Angeles"},
    {"SAST", "Africa/Johannesburg"},
    {"SGT", "Asia/Singapore"},
    {"TRT", "Europe/Istanbul"},
    {"UTC", "UTC"},
    {"WAT", "Africa/Lagos"},
    {"WEST", "Europe/Lisbon"},
    {"WET", "Europe/Lisbon"},
    {"WIB", "Asia/Jakarta"},
    {"WIT", "Asia/Jayapura"},
    {"WITA", "Asia/Makassar"},
};
static_assert(std::ranges::is_sorted(kZoneAbbreviations, {}, &std::pair<std::string_view, std::string_view>::first));

std::string utf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

icu::UnicodeString unicode(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

// ICU keeps instants as milliseconds since 1970 in a double; `Date` counts nanoseconds in 64
// bits, about 292 years either side of 1970. Instants beyond that have no `Date`.
constexpr double kDateLimitMillis = 9.2e12;

// No date text is longer; a longer text is not handed to ICU at all.
constexpr std::size_t kMaxDateText = 256;

// ICU reads a fraction of seconds into 32 bits and scales it by a power of ten in 32 bits:
// past 9 digits (nanoseconds) the value is wrong, and from 35 digits on the power is zero and
// the parse divides by it. No field of a date needs a longer run of digits, unless the
// pattern abuts fields into a longer one.
constexpr std::int32_t kMaxDigitRun = 9;

/// The longest run of code points that `inRun` takes, fed each one in order.
std::int32_t longestRun(const icu::UnicodeString& text, auto inRun) {
    std::int32_t longest = 0;
    std::int32_t run = 0;
    for (std::int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
        run = inRun(text.char32At(i)) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

std::optional<Date> dateFromMillis(UDate millis) {
    if (!std::isfinite(millis) || std::fabs(millis) > kDateLimitMillis) return std::nullopt;
    return Date(std::chrono::milliseconds(static_cast<std::int64_t>(std::floor(millis))));
}

/// The digits of `text` from `at` as a number; -1 when one of them is not an ASCII digit.
int digits(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (const char c : text.substr(at, count)) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

/// The wall-clock time of "yyyy-MM-dd", "yyyy-MM-dd'T'HH:mm:ss" or the same followed by ".SSS",
/// as the first `size` characters of `text`, with two-digit fields, a three-digit fraction and
/// years 1900 to 2199 (counted from 1970 as if it were UTC); nullopt for any other text or a
/// field out of range. Every such text reads as ICU's formatters read it.
std::optional<Date> wallClock(std::string_view text, std::size_t size) {
    if (text.size() < size || text[4] != '-' || text[7] != '-') return std::nullopt;
    const bool time = size >= 19, fraction = size == 23;
    if (time && (text[10] != 'T' || text[13] != ':' || text[16] != ':')) return std::nullopt;
    if (fraction && text[19] != '.') return std::nullopt;
    const int y = digits(text, 0, 4), mo = digits(text, 5, 2), d = digits(text, 8, 2);
    const int h = time ? digits(text, 11, 2) : 0, mi = time ? digits(text, 14, 2) : 0, s = time ? digits(text, 17, 2) : 0;
    const int ms = fraction ? digits(text, 20, 3) : 0;
    if (y < 1900 || y > 2199 || mo < 1 || d < 1 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59 || ms < 0)
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day day{year{y}, month{static_cast<unsigned>(mo)}, std::chrono::day{static_cast<unsigned>(d)}};
    if (!day.ok()) return std::nullopt;
    return sys_days(day) + hours{h} + minutes{mi} + seconds{s} + milliseconds{ms};
}

// "yyyy-MM-dd'T'HH:mm:ssZ" and "yyyy-MM-dd'T'HH:mm:ss.SSSZ" for texts with two-digit fields, a
// three-digit fraction and a "+hhmm" or "-hhmm" offset: the instant does not depend on the
// formatter's zone, and every field in these ranges reads as ICU reads it. Anything else
// (another shape, a field out of range) is left to the formatters.
std::optional<Date> dateWithOffset(std::string_view text) {
    if (text.size() != 24 && text.size() != 28) return std::nullopt;
    const std::size_t zone = text.size() - 5;
    if (text[zone] != '+' && text[zone] != '-') return std::nullopt;
    const auto local = wallClock(text, zone);
    const int zh = digits(text, zone + 1, 2), zm = digits(text, zone + 3, 2);
    if (!local || zh < 0 || zh > 23 || zm < 0 || zm > 59) return std::nullopt;
    using namespace std::chrono;
    return *local - (text[zone] == '-' ? -1 : 1) * (hours{zh} + minutes{zm});
}

// A zone's changes of offset lie at least this far from a wall-clock time read without ICU's
// formatters, so that the time has one instant, at the zone's offset of that moment.
constexpr UDate kClearOfChangesMillis = 2 * 86'400'000.0;

// The shortest text the first three formats can read ("0-1-1T0:0:0").
constexpr std::size_t kShortestTimeOfDay = 11;

}  // namespace

struct DateUtils::Zone {
    std::unique_ptr<icu::TimeZone> zone;

    /// "yyyy-MM-dd'T'HH:mm:ss" or "yyyy-MM-dd" in the zone, when the zone keeps one offset for
    /// two days either side (else the formatters decide: a time skipped or repeated by a change).
    [[nodiscard]] std::optional<Date> date(std::string_view text) const {
        if (text.size() != 10 && text.size() != 19) return std::nullopt;
        const auto local = wallClock(text, text.size());
        const auto* rules = dynamic_cast<const icu::BasicTimeZone*>(zone.get());
        if (!local || rules == nullptr) return std::nullopt;
        const auto localMillis = static_cast<UDate>(
            std::chrono::duration_cast<std::chrono::milliseconds>(local->time_since_epoch()).count());
        std::int32_t raw = 0, daylight = 0;
        UErrorCode status = U_ZERO_ERROR;
        rules->getOffset(localMillis, true, raw, daylight, status);
        if (U_FAILURE(status)) return std::nullopt;
        const UDate instant = localMillis - raw - daylight;
        icu::TimeZoneTransition change;
        if (rules->getNextTransition(instant - kClearOfChangesMillis, false, change) &&
            change.getTime() <= instant + kClearOfChangesMillis)
            return std::nullopt;
        return dateFromMillis(instant);
    }
};

struct DateFormatter::Impl {
    std::mutex mutex;
    std::unique_ptr<icu::SimpleDateFormat> format;
    std::int32_t maxDigitRun = kMaxDigitRun;
};

DateFormatter::DateFormatter(std::string pattern, std::string locale, std::string timeZone)
    : pattern_(std::move(pattern)), timeZone_(std::move(timeZone)), impl_(std::make_shared<Impl>()) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale icuLocale = locale.empty() ? icu::Locale::getRoot() : icu::Locale(locale.c_str());
    impl_->format = std::make_unique<icu::SimpleDateFormat>(unicode(pattern_), icuLocale, status);
    if (U_FAILURE(status)) throw std::runtime_error("No date formatter for the pattern \"" + pattern_ + "\"");
    impl_->format->adoptTimeZone(icu::TimeZone::createTimeZone(unicode(timeZone_)));
    impl_->format->setLenient(false);
    // Abutting fields ("yyyyMMdd") are pattern letters outside quotes, one digit each.
    const std::int32_t fieldRun = longestRun(unicode(pattern_), [quoted = false](UChar32 c) mutable {
        if (c == '\'') quoted = !quoted;
        return !quoted && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
    });
    impl_->maxDigitRun = std::max(kMaxDigitRun, fieldRun);
}

DateFormatter::~DateFormatter() = default;
DateFormatter::DateFormatter(const DateFormatter&) = default;
DateFormatter& DateFormatter::operator=(const DateFormatter&) = default;

std::optional<Date> DateFormatter::date(std::string_view text) const {
    if (text.size() > kMaxDateText) return std::nullopt;
    const icu::UnicodeString input = unicode(text);
    // Digits of every script count: ICU reads them all as numbers.
    if (longestRun(input, [](UChar32 c) { return u_isdigit(c); }) > impl_->maxDigitRun) return std::nullopt;
    icu::ParsePosition position(0);
    UDate millis;
    {
        std::lock_guard lock(impl_->mutex);
        millis = impl_->format->parse(input, position);
    }
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) return std::nullopt;
    return dateFromMillis(millis);
}

std::string DateFormatter::string(Date date) const {
    const auto millis =
        static_cast<UDate>(std::chrono::floor<std::chrono::milliseconds>(date.time_since_epoch()).count());
    icu::UnicodeString out;
    {
        std::lock_guard lock(impl_->mutex);
        impl_->format->format(millis, out);
    }
    return utf8(out);
}

std::optional<std::string> timeZoneForAbbreviation(std::string_view abbreviation) {
    const auto* end = std::end(kZoneAbbreviations);
    const auto* it = std::ranges::lower_bound(kZoneAbbreviations, abbreviation, {},
                                              &std::pair<std::string_view, std::string_view>::first);
    if (it == end || it->first != abbreviation) return std::nullopt;
    return std::string(it->second);
}

std::string programTimeZoneId(const std::optional<std::string>& abbreviation) {
    if (!abbreviation) return "UTC";
    if (auto zone = timeZoneForAbbreviation(*abbreviation)) return *zone;
    const std::unique_ptr<icu::TimeZone> host(icu::TimeZone::createDefault());
    icu::UnicodeString id;
    host->getID(id);
    return utf8(id);
}

std::shared_ptr<const DateUtils> DateUtils::shared() {
    static std::mutex mutex;
    static bool fixed = false;
    static std::optional<std::string> zone;  // of `current`
    static std::shared_ptr<const DateUtils> current;
    const Lumeno& lumeno = Lumeno::shared();
    std::lock_guard lock(mutex);
    if (fixed) return current;
    fixed = lumeno.configurationRead();  // before the settings, which then hold the configuration
    auto abbreviation = lumeno.settings()->programTimeZone;
    if (!current || abbreviation != zone) {  // built again only when the zone changed
        current = std::make_shared<const DateUtils>(abbreviation);
        zone = std::move(abbreviation);
    }
    return current;
}

DateUtils::DateUtils(const std::optional<std::string>& timeZoneAbbreviation) {
    const std::string zone = programTimeZoneId(timeZoneAbbreviation);
    for (const char* pattern :
         {"yyyy-MM-dd'T'HH:mm:ssZ", "yyyy-MM-dd'T'HH:mm:ss.SSSZ", "yyyy-MM-dd'T'HH:mm:ss", "yyyy-MM-dd"})
        dateFormats_.emplace_back(pattern, "en_US_POSIX", zone);
    zone_ = std::make_shared<const Zone>(Zone{std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(unicode(zone)))});
}

std::optional<Date> DateUtils::date(std::string_view text) const {
    if (auto date = dateWithOffset(text)) return date;
    if (auto date = zone_->date(text)) return date;
    if (text.size() < kShortestTimeOfDay) return dateFormats_.back().date(text);
    return toDate(text, dateFormats_);
}

std::optional<Date> toDate(std::string_view text, std::span<const DateFormatter> formats) {
    for (const auto& format : formats)
        if (auto date = format.date(text)) return date;
    return std::nullopt;
}

}  // namespace lumeno
