#include "lumeno/core/date_utils.hpp"

#include <unicode/utf16.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "core/icu.hpp"
#include "core/iso_dates.hpp"
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

using detail::icu;
using detail::utf16;
using detail::utf8;
using detail::writtenText;

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

/// The longest run of elements (code points, or a pattern's bytes) that `inRun` takes, fed each
/// one in order.
std::int32_t longestRun(const auto& elements, auto inRun) {
    std::int32_t longest = 0;
    std::int32_t run = 0;
    for (const auto element : elements) {
        run = inRun(element) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

/// The code points of `text`; an unpaired surrogate is one of its own.
std::vector<UChar32> codePoints(std::u16string_view text) {
    std::vector<UChar32> out;
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U16_NEXT(text.data(), i, length, c);
        out.push_back(c);
    }
    return out;
}

struct CloseCalendar {
    void operator()(UCalendar* calendar) const { icu().ucal_close(calendar); }
};
struct CloseFormat {
    void operator()(UDateFormat* format) const { icu().udat_close(format); }
};

std::optional<Date> dateFromMillis(UDate millis) {
    if (!std::isfinite(millis) || std::fabs(millis) > kDateLimitMillis) return std::nullopt;
    return Date(std::chrono::milliseconds(static_cast<std::int64_t>(std::floor(millis))));
}

// The shortest text the first three formats can read ("0-1-1T0:0:0").
constexpr std::size_t kShortestTimeOfDay = 11;

// The parts of an ISO-8601 text, and of the patterns that read them.
enum IsoPart : std::uint8_t { kDay = 1, kTime = 2, kFraction = 4, kZone = 8 };

constexpr std::pair<std::string_view, std::uint8_t> kIsoPatterns[] = {
    {"yyyy-MM-dd", kDay},
    {"yyyy-MM-dd'T'HH:mm:ss", kDay | kTime},
    {"yyyy-MM-dd'T'HH:mm:ssZ", kDay | kTime | kZone},
    {"yyyy-MM-dd'T'HH:mm:ss.SSSZ", kDay | kTime | kFraction | kZone},
    {"yyyy-MM-dd'T'HH:mm:ss.SSSSSSZ", kDay | kTime | kFraction | kZone},
};

// The years the reader decides; ICU reads the rest.
constexpr int kFirstIsoYear = 1900;
constexpr int kLastIsoYear = 2199;

constexpr std::int64_t millis(std::chrono::sys_days day) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(day.time_since_epoch()).count();
}

/// A text of the canonical shape, its fields read as they stand.
struct IsoText {
    std::uint8_t parts = kDay;
    bool inRange = true;  // every field within what ICU's strict parse takes, the year within the reader's
    std::int64_t localMillis = 0;  // the day and time as if in UTC
    std::int64_t offsetMillis = 0;
};

/// The parts and fields of `text`; nullopt unless it has the canonical shape.
std::optional<IsoText> isoText(std::string_view text) {
    std::size_t at = 0;
    const auto isDigit = [&] { return at < text.size() && text[at] >= '0' && text[at] <= '9'; };
    const auto literal = [&](char c) {
        if (at == text.size() || text[at] != c) return false;
        ++at;
        return true;
    };
    // `count` ASCII digits from `at` as a number, after `separator` unless that is 0; -1 when
    // any is missing.
    const auto field = [&](char separator, int count) {
        if (separator != 0 && !literal(separator)) return -1;
        int value = 0;
        for (int i = 0; i < count; ++i, ++at) {
            if (!isDigit()) return -1;
            value = value * 10 + (text[at] - '0');
        }
        return value;
    };
    using namespace std::chrono;
    IsoText out;
    const int y = field(0, 4), mo = field('-', 2), d = field('-', 2);
    if (std::min({y, mo, d}) < 0) return std::nullopt;
    const year_month_day day{year{y}, month{static_cast<unsigned>(mo)}, std::chrono::day{static_cast<unsigned>(d)}};
    out.inRange = y >= kFirstIsoYear && y <= kLastIsoYear && day.ok();
    milliseconds time{};
    if (literal('T')) {
        out.parts |= kTime;
        const int h = field(0, 2), mi = field(':', 2), s = field(':', 2);
        if (std::min({h, mi, s}) < 0) return std::nullopt;
        out.inRange = out.inRange && h <= 23 && mi <= 59 && s <= 59;
        time = hours{h} + minutes{mi} + seconds{s};
        if (literal('.')) {
            // ICU keeps the milliseconds: the first three digits, scaled up when there are fewer.
            out.parts |= kFraction;
            const std::size_t first = at;
            int fraction = 0;
            for (; isDigit(); ++at)
                if (at - first < 3) fraction = fraction * 10 + (text[at] - '0');
            const std::size_t digits = at - first;
            if (digits == 0 || digits > static_cast<std::size_t>(kMaxDigitRun)) return std::nullopt;
            for (std::size_t i = digits; i < 3; ++i) fraction *= 10;
            time += milliseconds{fraction};
        }
        if (literal('Z')) {
            out.parts |= kZone;
        } else if (literal('+') || literal('-')) {
            out.parts |= kZone;
            const bool west = text[at - 1] == '-';
            const int zh = field(0, 2);
            const int zm = at == text.size() ? 0 : field(text[at] == ':' ? ':' : 0, 2);
            if (std::min(zh, zm) < 0) return std::nullopt;
            out.inRange = out.inRange && zh <= 23 && zm <= 59;
            out.offsetMillis = duration_cast<milliseconds>(hours{zh} + minutes{zm}).count() * (west ? -1 : 1);
        }
    }
    if (at != text.size()) return std::nullopt;
    if (out.inRange) out.localMillis = millis(day) + time.count();
    return out;
}

}  // namespace

// The zone's offsets over the reader's years: each from its instant to the next one's.
struct detail::IsoDateReader::Offsets {
    // Offsets differ by less than this (at most 28 hours apart), and a local time this far from
    // every change of offset has one instant, which ICU gives whatever its rules for skipped and
    // repeated wall times.
    static constexpr std::int64_t kMargin = 2 * 86'400'000;
    // A week before the first year and after the last, in milliseconds since 1970.
    static constexpr std::int64_t kFirst = millis(std::chrono::year(kFirstIsoYear) / 1 / 1) - 7 * 86'400'000;
    static constexpr std::int64_t kLast = millis(std::chrono::year(kLastIsoYear + 1) / 1 / 1) + 7 * 86'400'000;

    std::vector<std::int64_t> starts;  // ascending, one more than `offsets`: the end of the last
    std::vector<std::int64_t> offsets;

    explicit Offsets(const std::string& zoneId) {
        if (zoneId == "UTC") {  // the programme's zone unless it names one: no change of offset
            starts = {kFirst, kLast};
            offsets = {0};
            return;
        }
        const detail::IcuFunctions& functions = icu();
        const std::u16string zone = utf16(zoneId);
        UErrorCode status = U_ZERO_ERROR;
        // A calendar in the zone, for its offset at an instant and its next change of offset.
        const std::unique_ptr<UCalendar, CloseCalendar> calendar(functions.ucal_open(
            zone.data(), static_cast<std::int32_t>(zone.size()), "", UCAL_GREGORIAN, &status));
        if (U_FAILURE(status)) return;  // no offsets: every text without a zone is left to ICU
        UDate at = static_cast<UDate>(kFirst);
        do {
            functions.ucal_setMillis(calendar.get(), at, &status);
            const std::int32_t raw = functions.ucal_get(calendar.get(), UCAL_ZONE_OFFSET, &status);
            const std::int32_t dst = functions.ucal_get(calendar.get(), UCAL_DST_OFFSET, &status);
            if (U_FAILURE(status)) {
                starts.clear();
                offsets.clear();
                return;
            }
            starts.push_back(static_cast<std::int64_t>(at));
            offsets.push_back(std::int64_t{raw} + dst);
        } while (functions.ucal_getTimeZoneTransitionDate(calendar.get(), UCAL_TZ_TRANSITION_NEXT, &at, &status) &&
                 at < kLast);
        starts.push_back(kLast);
    }

    /// The offset of the local time `local`; nullopt near a change of offset or outside the years.
    [[nodiscard]] std::optional<std::int64_t> at(std::int64_t local) const {
        const auto next = std::ranges::upper_bound(starts, local);
        if (next == starts.begin() || next == starts.end()) return std::nullopt;
        const auto i = static_cast<std::size_t>(next - starts.begin() - 1);
        const std::int64_t instant = local - offsets[i];
        if (instant < starts[i] + kMargin || instant >= starts[i + 1] - kMargin) return std::nullopt;
        return offsets[i];
    }
};

detail::IsoDateReader::IsoDateReader(std::string_view pattern, std::string_view locale, std::string zoneId)
    : zoneId_(std::move(zoneId)) {
    const auto* known = std::ranges::find(kIsoPatterns, pattern, &std::pair<std::string_view, std::uint8_t>::first);
    if (locale == "en_US_POSIX" && known != std::end(kIsoPatterns)) parts_ = known->second;
}

detail::IsoDateReader::~IsoDateReader() = default;

const detail::IsoDateReader::Offsets& detail::IsoDateReader::offsets() const {
    std::call_once(offsetsBuilt_, [this] {
        // Built once per zone: the formats of one zone each have a reader, and a zone's
        // transitions take a while to list.
        static std::mutex mutex;
        static std::map<std::string, std::shared_ptr<const Offsets>, std::less<>> zones;
        std::lock_guard lock(mutex);
        std::shared_ptr<const Offsets>& zone = zones[zoneId_];
        if (!zone) zone = std::make_shared<const Offsets>(zoneId_);
        offsets_ = zone;
    });
    return *offsets_;
}

detail::IsoVerdict detail::IsoDateReader::read(std::string_view text) const {
    if (parts_ == 0) return {};
    const auto iso = isoText(text);
    if (!iso) return {};
    if (iso->parts != parts_) return {.decided = true, .date = std::nullopt};  // ICU stops at the first part apart
    if (!iso->inRange) return {};
    std::optional<std::int64_t> offset = iso->offsetMillis;
    if (!(parts_ & kZone)) offset = offsets().at(iso->localMillis);
    if (!offset) return {};
    return {.decided = true, .date = Date(std::chrono::milliseconds(iso->localMillis - *offset))};
}

struct DateFormatter::Impl {
    Impl(std::string_view pattern, std::string_view locale, std::string timeZone)
        : reader(pattern, locale, std::move(timeZone)), locale(locale) {}

    /// ICU's formatter, opened now if it is not yet; under `mutex`.
    UDateFormat* format(const DateFormatter& owner) {
        if (format_) return format_.get();
        const detail::IcuFunctions& functions = icu();
        const std::u16string pattern = utf16(owner.pattern()), zone = utf16(owner.timeZone());
        UErrorCode status = U_ZERO_ERROR;
        // An empty locale is ICU's root locale.
        format_.reset(functions.udat_open(UDAT_PATTERN, UDAT_PATTERN, locale.c_str(), zone.data(),
                                          static_cast<std::int32_t>(zone.size()), pattern.data(),
                                          static_cast<std::int32_t>(pattern.size()), &status));
        if (U_FAILURE(status))
            throw std::runtime_error("No date formatter for the pattern \"" + owner.pattern() + "\"");
        functions.udat_setLenient(format_.get(), false);
        return format_.get();
    }

    detail::IsoDateReader reader;
    std::string locale;
    std::mutex mutex;
    std::int32_t maxDigitRun = kMaxDigitRun;

private:
    std::unique_ptr<UDateFormat, CloseFormat> format_;
};

DateFormatter::DateFormatter(std::string pattern, std::string locale, std::string timeZone)
    : pattern_(std::move(pattern)),
      timeZone_(std::move(timeZone)),
      impl_(std::make_shared<Impl>(pattern_, locale, timeZone_)) {
    // The ISO-8601 patterns, which ICU always takes, open ICU's formatter when it is first
    // needed: a process that reads only the texts the ISO-8601 reader decides never loads ICU.
    // Any other pattern is handed to ICU at once.
    if (!impl_->reader.knowsPattern()) impl_->format(*this);
    // Abutting fields ("yyyyMMdd") are pattern letters outside quotes, one digit each (pattern
    // letters are ASCII: the bytes of any other character are no letters either).
    const std::int32_t fieldRun = longestRun(pattern_, [quoted = false](char c) mutable {
        if (c == '\'') quoted = !quoted;
        return !quoted && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
    });
    impl_->maxDigitRun = std::max(kMaxDigitRun, fieldRun);
}

DateFormatter::~DateFormatter() = default;
DateFormatter::DateFormatter(const DateFormatter&) = default;
DateFormatter& DateFormatter::operator=(const DateFormatter&) = default;

std::optional<Date> DateFormatter::date(std::string_view text) const {
    if (const detail::IsoVerdict verdict = impl_->reader.read(text); verdict.decided) return verdict.date;
    return detail::icuDate(*this, text);
}

std::optional<Date> detail::icuDate(const DateFormatter& format, std::string_view text) {
    DateFormatter::Impl& impl = *format.impl_;
    if (text.size() > kMaxDateText) return std::nullopt;
    const detail::IcuFunctions& functions = icu();
    const std::u16string input = utf16(text);
    // Digits of every script count: ICU reads them all as numbers.
    if (longestRun(codePoints(input), [&](UChar32 c) { return functions.u_isdigit(c) != 0; }) > impl.maxDigitRun)
        return std::nullopt;
    // A failed parse sets the status and leaves `position` where it failed; a parse that stops
    // before the end read only part of the text.
    std::int32_t position = 0;
    UErrorCode status = U_ZERO_ERROR;
    UDate millis;
    {
        std::lock_guard lock(impl.mutex);
        millis = functions.udat_parse(impl.format(format), input.data(), static_cast<std::int32_t>(input.size()),
                                      &position, &status);
    }
    if (U_FAILURE(status) || position != static_cast<std::int32_t>(input.size())) return std::nullopt;
    return dateFromMillis(millis);
}

std::string DateFormatter::string(Date date) const {
    const auto millis =
        static_cast<UDate>(std::chrono::floor<std::chrono::milliseconds>(date.time_since_epoch()).count());
    std::lock_guard lock(impl_->mutex);
    return utf8(writtenText(64, [&](UChar* out, std::int32_t room, UErrorCode* status) {
        return icu().udat_format(impl_->format(*this), millis, out, room, nullptr, status);
    }));
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
    return utf8(writtenText(64, [](UChar* out, std::int32_t room, UErrorCode* status) {
        return icu().ucal_getDefaultTimeZone(out, room, status);
    }));
}

std::shared_ptr<const DateUtils> DateUtils::shared() {
    static std::mutex mutex;
    static std::atomic<bool> fixed = false;
    static std::optional<std::string> zone;  // of `current`
    static std::shared_ptr<const DateUtils> current;
    // Once fixed, `current` no longer changes: it is read without the lock.
    if (fixed.load(std::memory_order_acquire)) return current;
    const Lumeno& lumeno = Lumeno::shared();
    std::lock_guard lock(mutex);
    if (fixed.load(std::memory_order_relaxed)) return current;
    const bool read = lumeno.configurationRead();  // before the settings, which then hold the configuration
    const std::shared_ptr<const LumenoSettings> settings = lumeno.settings();
    if (!current || settings->programTimeZone != zone) {  // built again only when the zone changed
        current = std::make_shared<const DateUtils>(settings->programTimeZone);
        zone = settings->programTimeZone;
    }
    fixed.store(read, std::memory_order_release);
    return current;
}

DateUtils::DateUtils(const std::optional<std::string>& timeZoneAbbreviation) {
    const std::string zone = programTimeZoneId(timeZoneAbbreviation);
    for (const char* pattern :
         {"yyyy-MM-dd'T'HH:mm:ssZ", "yyyy-MM-dd'T'HH:mm:ss.SSSZ", "yyyy-MM-dd'T'HH:mm:ss", "yyyy-MM-dd"})
        dateFormats_.emplace_back(pattern, "en_US_POSIX", zone);
}

std::optional<Date> DateUtils::date(std::string_view text) const {
    if (text.size() < kShortestTimeOfDay) return dateFormats_.back().date(text);
    return toDate(text, dateFormats_);
}

std::optional<Date> toDate(std::string_view text, std::span<const DateFormatter> formats) {
    for (const auto& format : formats)
        if (auto date = format.date(text)) return date;
    return std::nullopt;
}

}  // namespace lumeno
