#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumeno {

/// An instant, as the records and the credential store keep dates.
using Date = std::chrono::system_clock::time_point;

class DateFormatter;

namespace detail {
std::optional<Date> icuDate(const DateFormatter& format, std::string_view text);
}  // namespace detail

/// The instant one second after 1970-01-01T00:00:00Z: what an absent or unparsable model date becomes.
inline constexpr Date kFallbackDate = Date(std::chrono::seconds(1));

/// A date pattern in the platform's date-pattern language, with a locale and a time zone.
/// Copies share one formatter; safe from any thread.
///
/// Parsing is ICU's strict (non-lenient) parse, and takes the whole text or nothing: trailing
/// characters fail it. ICU's own rules stay as they are: "Z" reads "+0000", "+00:00", "+01",
/// "Z", "UTC" and "GMT+01:00" alike, and leading spaces are skipped. A text with a run of digits
/// (of any script) longer than both 9 and the pattern's longest run of abutting fields
/// ("yyyyMMddHHmmss": 14) parses nothing: ICU misreads longer fractions of seconds, and crashes.
///
/// The platform's ISO-8601 patterns ("yyyy-MM-dd", "yyyy-MM-dd'T'HH:mm:ss",
/// "yyyy-MM-dd'T'HH:mm:ssZ", "yyyy-MM-dd'T'HH:mm:ss.SSSZ", "yyyy-MM-dd'T'HH:mm:ss.SSSSSSZ") with
/// the locale "en_US_POSIX" read texts of the usual shape ("2024-03-01T09:30:00.250+08:00")
/// without ICU, to the same result.
class DateFormatter {
public:
    /// `locale` empty means no locale (the root locale); `timeZone` is an ICU zone id.
    /// ICU checks the pattern only while parsing or formatting: a pattern it cannot read parses
    /// nothing. Throws `std::runtime_error` when ICU cannot build the formatter at all.
    DateFormatter(std::string pattern, std::string locale, std::string timeZone);
    ~DateFormatter();
    DateFormatter(const DateFormatter&);
    DateFormatter& operator=(const DateFormatter&);

    /// The instant the whole text stands for, under the rules above; nullopt when it does not
    /// parse.
    [[nodiscard]] std::optional<Date> date(std::string_view text) const;
    /// The instant written with the pattern, to the millisecond.
    [[nodiscard]] std::string string(Date date) const;
    /// The pattern as given.
    [[nodiscard]] const std::string& pattern() const noexcept { return pattern_; }
    /// The ICU zone id as given.
    [[nodiscard]] const std::string& timeZone() const noexcept { return timeZone_; }

private:
    friend std::optional<Date> detail::icuDate(const DateFormatter& format, std::string_view text);
    struct Impl;
    std::string pattern_;
    std::string timeZone_;
    std::shared_ptr<Impl> impl_;
};

/// The ICU zone id of a time-zone abbreviation, from the library's fixed table; nullopt when
/// the abbreviation is unknown. Upper case only. The table: UTC, GMT; North America EST/EDT,
/// CST/CDT (US Central), MST/MDT, PST/PDT, AKST/AKDT, HST; Europe WET/WEST, BST (London),
/// CET/CEST, EET/EEST, MSK, TRT; Africa WAT, CAT, EAT, SAST; Asia GST (Dubai), PKT, IST
/// (Kolkata), ICT, WIB/WITA/WIT, MYT, SGT, PHT/PHST, HKT, KST, JST; Oceania AWST, ACST/ACDT,
/// AEST/AEDT, NZST/NZDT; South America COT, PET, CLT, ART, BRT. AST (Atlantic or Arabia) is
/// ambiguous and left out.
std::optional<std::string> timeZoneForAbbreviation(std::string_view abbreviation);

/// The zone of the programme: the zone of `abbreviation`, "UTC" when absent, the process's
/// default zone when the abbreviation is unknown.
std::string programTimeZoneId(const std::optional<std::string>& abbreviation);

/// The shared date formats of the models.
class DateUtils {
public:
    /// The formats in the programme's zone ("program_time_zone"). The first use after the
    /// configuration has been read (`Lumeno::initialize` or `apply`) fixes them for the rest of
    /// the process. A use before that gets formats for the zone the settings hold at that
    /// moment, and fixes nothing.
    static std::shared_ptr<const DateUtils> shared();

    /// A separate instance for another zone abbreviation (the shared one is untouched).
    explicit DateUtils(const std::optional<std::string>& timeZoneAbbreviation);

    /// "yyyy-MM-dd'T'HH:mm:ssZ", "yyyy-MM-dd'T'HH:mm:ss.SSSZ", "yyyy-MM-dd'T'HH:mm:ss",
    /// "yyyy-MM-dd", in this order, locale "en_US_POSIX".
    [[nodiscard]] const std::vector<DateFormatter>& dateFormats() const noexcept { return dateFormats_; }

    /// `toDate(text, dateFormats())`, sooner: a text too short for a time of day goes straight
    /// to "yyyy-MM-dd". The result is the same.
    [[nodiscard]] std::optional<Date> date(std::string_view text) const;

private:
    std::vector<DateFormatter> dateFormats_;
};

/// The instant of the first formatter, in order, that parses the whole text; nullopt when none does.
std::optional<Date> toDate(std::string_view text, std::span<const DateFormatter> formats);

}  // namespace lumeno
