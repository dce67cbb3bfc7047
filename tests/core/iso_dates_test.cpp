// The ISO-8601 reader beside ICU: whatever the reader decides of a text, ICU decides the same,
// for each of the platform's patterns in zones with and without changes of offset.

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <cstdio>
#include <string>
#include <vector>

#include "core/iso_dates.hpp"
#include "lumeno/core/date_utils.hpp"

using namespace std::chrono;
using namespace std::literals;
using lumeno::Date;
using lumeno::detail::IsoDateReader;

namespace {

constexpr const char* kPatterns[] = {
    "yyyy-MM-dd'T'HH:mm:ssZ", "yyyy-MM-dd'T'HH:mm:ss.SSSZ", "yyyy-MM-dd'T'HH:mm:ss.SSSSSSZ",
    "yyyy-MM-dd'T'HH:mm:ss",  "yyyy-MM-dd",
};

// Without changes of offset, with a change at midnight, with a half-hour change, and with
// offsets of seconds and wartime changes before 1950.
constexpr const char* kZones[] = {"UTC", "America/Chicago", "America/Santiago", "Australia/Lord_Howe", "Asia/Kolkata"};

struct Reading {
    Reading(const char* pattern, const char* zone)
        : formatter(pattern, "en_US_POSIX", zone), reader(pattern, "en_US_POSIX", zone) {}

    lumeno::DateFormatter formatter;
    IsoDateReader reader;
};

/// A reading of each pattern in each zone, in the order of `kZones`, then `kPatterns`.
const std::deque<Reading>& readings() {
    static const std::deque<Reading> all = [] {
        std::deque<Reading> out;
        for (const char* zone : kZones)
            for (const char* pattern : kPatterns) out.emplace_back(pattern, zone);
        return out;
    }();
    return all;
}

/// `at` as "yyyy-MM-dd'T'HH:mm:ss".
std::string isoText(sys_seconds at) {
    const auto day = floor<days>(at);
    const year_month_day date(day);
    const hh_mm_ss time(at - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

std::string shown(const std::optional<Date>& date) {
    return date ? std::to_string(floor<milliseconds>(date->time_since_epoch()).count()) + " ms" : "nothing";
}

/// Whether ICU gives what the reader gives, when the reader decides `text`; `decided` counts it.
testing::AssertionResult agreesWithIcu(const Reading& reading, std::string_view text, int& decided) {
    const auto verdict = reading.reader.read(text);
    if (!verdict.decided) return testing::AssertionSuccess();
    ++decided;
    const auto icu = lumeno::detail::icuDate(reading.formatter, text);
    if (verdict.date == icu) return testing::AssertionSuccess();
    return testing::AssertionFailure() << '"' << text << "\" with " << reading.formatter.pattern() << " in "
                                       << reading.formatter.timeZone() << ": " << shown(verdict.date)
                                       << " without ICU, " << shown(icu) << " with it";
}

}  // namespace

// Texts by how many of the five patterns decide them without ICU, in every zone: five for the
// usual shape (the patterns of its parts read it, the others reject it); fewer when a field is
// out of range (the patterns of its parts leave it to ICU); none for another shape.
TEST(IsoDateReader, DecidesWhatIcuDecidesAndNothingElse) {
    const std::pair<int, std::vector<std::string_view>> cases[] = {
        {5,
         {"2024-02-25T10:00:00", "2024-02-25", "1900-03-01", "2199-12-31", "2024-03-01T09:30:00+0800",
          "2024-03-01T09:30:00-08:00", "2024-03-01T09:30:00+08", "2024-03-01T09:30:00Z", "2024-03-01T09:30:00-0000",
          "2024-03-01T09:30:00+2359", "2024-03-01T09:30:00.250+0800", "2024-03-01T09:30:00.5Z",
          "2024-03-01T09:30:00.25-05:30", "2024-03-01T09:30:00.2509+05:30", "2024-03-01T09:30:00.123456+0000",
          "2024-03-01T09:30:00.999999999Z", "2024-03-01T09:30:00.000000001Z", "2024-02-29T23:59:59.999+0000",
          "1900-01-01T00:00:00+0000", "2199-12-31T23:59:59-2359",
          "2024-03-01T09:30:00.250"}},  // a fraction and no zone: no pattern reads it
        {4,
         {"2023-02-29", "2024-04-31T10:00:00", "2024-13-01T10:00:00Z", "2024-00-01T10:00:00Z", "2024-03-00",
          "2024-03-01T24:00:00", "2024-03-01T10:60:00Z", "2024-03-01T10:00:60+0100", "2024-03-01T10:00:00+2400",
          "2024-03-01T10:00:00-00:60", "1899-12-31T23:00:00Z", "2200-01-01", "0000-01-01T00:00:00Z"}},
        {3, {"9999-12-31T00:00:00.500Z", "2024-02-30T10:00:00.250Z"}},
        {0,
         {"", "soon", "2024-3-01", "02024-03-01", "2024-001-02", " 2024-03-01", "2024-03-01 ", "+2024-03-01",
          "2024-03-01Z", "2024-03-01T10:00", "2024-03-01t10:00:00Z", "2024-03-01 10:00:00+0800",
          "2024-03-01T10:00:00z", "2024-03-01T10:00:00+8", "2024-03-01T10:00:00+080", "2024-03-01T10:00:00+08:0",
          "2024-03-01T10:00:00+08:00:00", "2024-03-01T10:00:00+080000", "2024-03-01T10:00:00UTC",
          "2024-03-01T10:00:00GMT+01:00", "2024-03-01T10:00:00.Z", "2024-03-01T10:00:00.+0100",
          "2024-03-01T10:00:00.1234567890Z", "2024-03-01T10:00:00.12345678901234567890123456789012345Z",
          "\uFF12024-03-01", "2024-03-01T10:00:00+0800 ", "2024-03-01\0"sv}},  // a fullwidth digit, a NUL
    };
    for (const auto& [expected, texts] : cases) {
        for (const std::string_view text : texts) {
            for (std::size_t zone = 0; zone < std::size(kZones); ++zone) {
                int decided = 0;
                for (std::size_t pattern = 0; pattern < std::size(kPatterns); ++pattern)
                    EXPECT_TRUE(agreesWithIcu(readings()[zone * std::size(kPatterns) + pattern], text, decided));
                EXPECT_EQ(decided, expected) << '"' << text << "\" in " << kZones[zone];
            }
        }
    }
}

// Around each change of offset the reader leaves local times to ICU, which resolves skipped and
// repeated wall times by its own rules; a few days away it reads them again.
TEST(IsoDateReader, AgreesWithIcuAroundChangesOfOffset) {
    const std::pair<const char*, sys_days> changes[] = {
        {"America/Chicago", 2024y / 3 / 10},      {"America/Chicago", 2024y / 11 / 3},
        {"America/Chicago", 1918y / 3 / 31},      {"America/Santiago", 2024y / 4 / 7},
        {"America/Santiago", 2024y / 9 / 8},      {"America/Santiago", 2022y / 9 / 11},
        {"Australia/Lord_Howe", 2024y / 4 / 7},   {"Australia/Lord_Howe", 2024y / 10 / 6},
        {"Asia/Kolkata", 1941y / 10 / 1},         {"Asia/Kolkata", 1945y / 10 / 15},
        {"America/Chicago", 2150y / 3 / 8},
    };
    for (const auto& [zone, day] : changes) {
        const Reading withTime("yyyy-MM-dd'T'HH:mm:ss", zone), dayOnly("yyyy-MM-dd", zone);
        int decided = 0, decidedFarAway = 0;
        for (sys_seconds local = day - days(4); local < day + days(4); local += 30min) {
            const std::string text = isoText(local);
            EXPECT_TRUE(agreesWithIcu(withTime, text, decided));
            if (abs(local - day) > days(3)) decidedFarAway += withTime.reader.read(text).decided;
            if (local == floor<days>(local)) {
                EXPECT_TRUE(agreesWithIcu(dayOnly, text.substr(0, 10), decided));
            }
        }
        EXPECT_EQ(decidedFarAway, 2 * 48 - 1) << zone << " " << isoText(day);
    }
}

// Every 29th day from 1900 to 2199 at midnight and at noon, in each zone.
TEST(IsoDateReader, AgreesWithIcuOverItsYears) {
    for (std::size_t zone = 0; zone < std::size(kZones); ++zone) {
        const Reading& withTime = readings()[zone * std::size(kPatterns) + 3];
        const Reading& dayOnly = readings()[zone * std::size(kPatterns) + 4];
        int decided = 0, texts = 0;
        for (sys_days day = 1900y / 1 / 1; day < sys_days(2200y / 1 / 1); day += days(29), texts += 2) {
            EXPECT_TRUE(agreesWithIcu(dayOnly, isoText(day).substr(0, 10), decided));
            EXPECT_TRUE(agreesWithIcu(withTime, isoText(day + 12h + 34min + 56s), decided));
        }
        EXPECT_GT(decided, texts * 9 / 10) << kZones[zone];
    }
}

TEST(IsoDateReader, LeavesOtherPatternsAndLocalesToIcu) {
    const std::pair<const char*, const char*> formats[] = {
        {"yyyy-MM-dd", "en_US"},
        {"yyyy-MM-dd", ""},
        {"yyyy-MM-dd'T'HH:mm:ss.SSZ", "en_US_POSIX"},
        {"yyyy-MM-dd'T'HH:mm:ssXXX", "en_US_POSIX"},
        {"yyyy-MM-dd HH:mm:ss", "en_US_POSIX"},
        {"yyyyMMdd", "en_US_POSIX"},
    };
    for (const auto& [pattern, locale] : formats)
        for (const char* text : {"2024-03-01", "2024-03-01T10:00:00.25+01:00", "20240301", "soon"})
            EXPECT_FALSE(IsoDateReader(pattern, locale, "UTC").read(text).decided)
                << pattern << " " << locale << " " << text;
}
