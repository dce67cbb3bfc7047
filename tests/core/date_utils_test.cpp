#include <gtest/gtest.h>

#include <unicode/timezone.h>

#include <memory>

#include "lumeno/core/date_utils.hpp"
#include "lumeno/core/lumeno.hpp"

using namespace std::chrono;
using lumeno::Date;
using lumeno::DateUtils;

namespace {

constexpr Date at(year_month_day day, milliseconds time = {}) { return sys_days(day) + time; }

}  // namespace

TEST(DateUtils, EachFormatParsesItsOwnShapeOnlyAndTheWholeText) {
    const DateUtils utc(std::nullopt);
    const std::tuple<const char*, std::optional<std::size_t>, Date> cases[] = {
        {"2024-01-02T10:00:00+0100", 0, at(2024y / 1 / 2, 9h)},
        {"2024-01-02T10:00:00.250-0530", 1, at(2024y / 1 / 2, 15h + 30min + 250ms)},
        {"2024-01-02T10:00:00", 2, at(2024y / 1 / 2, 10h)},
        {"2024-01-02", 3, at(2024y / 1 / 2)},
        {"2024-01-02T10:00:00+0000 ", std::nullopt, {}},
        {"2024-02-30", std::nullopt, {}},  // strict: no rolling over into March
        {"3000-01-01", std::nullopt, {}},  // beyond what a Date holds
        {"", std::nullopt, {}},
    };
    for (const auto& [text, format, expected] : cases) {
        for (std::size_t f = 0; f < utc.dateFormats().size(); ++f)
            EXPECT_EQ(utc.dateFormats()[f].date(text).has_value(), format == f) << text << " with format " << f;
        EXPECT_EQ(lumeno::toDate(text, utc.dateFormats()), format ? std::optional(expected) : std::nullopt) << text;
    }
}

TEST(DateUtils, DigitRunsLongerThanAFieldTakesAreUnparsable) {
    const DateUtils utc(std::nullopt);
    const auto fraction = [](int digits, std::string_view digit = "1") {
        std::string text = "2024-01-02T10:00:00.";
        for (int i = 0; i < digits; ++i) text += digit;
        return text + "+0000";
    };
    const std::pair<std::string, std::optional<Date>> cases[] = {
        {fraction(9), at(2024y / 1 / 2, 10h + 111ms)},
        {fraction(10), std::nullopt},
        {fraction(35), std::nullopt},
        {fraction(35, "\uFF11"), std::nullopt},  // fullwidth digits are digits to ICU too
        {"00000000000002024-01-02", std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(lumeno::toDate(text, utc.dateFormats()), expected) << text;
    // Abutting fields take as many digits as the pattern has letters.
    const lumeno::DateFormatter compact("yyyyMMddHHmmss", "en_US_POSIX", "UTC");
    EXPECT_EQ(compact.date("20240102100000"), at(2024y / 1 / 2, 10h));
}

TEST(DateUtils, ZonesByAbbreviation) {
    const std::tuple<std::optional<std::string>, const char*, const char*, Date> cases[] = {
        {std::nullopt, "UTC", "2024-01-02T10:00:00", at(2024y / 1 / 2, 10h)},
        {"IST", "Asia/Kolkata", "2024-01-02T10:00:00", at(2024y / 1 / 2, 4h + 30min)},
        {"SGT", "Asia/Singapore", "2024-01-02", at(2024y / 1 / 1, 16h)},
    };
    for (const auto& [abbreviation, zone, local, expected] : cases) {
        EXPECT_EQ(lumeno::programTimeZoneId(abbreviation), zone);
        const DateUtils utils(abbreviation);
        EXPECT_EQ(lumeno::toDate(local, utils.dateFormats()), expected) << zone;
        EXPECT_EQ(lumeno::toDate("2024-01-02T10:00:00+0000", utils.dateFormats()), at(2024y / 1 / 2, 10h)) << zone;
    }
}

TEST(DateUtils, UnknownAbbreviationKeepsTheDefaultZone) {
    icu::UnicodeString id;
    std::string hostId;
    std::unique_ptr<icu::TimeZone>(icu::TimeZone::createDefault())->getID(id).toUTF8String(hostId);
    for (const char* abbreviation : {"XYZ", "ist", ""}) {
        EXPECT_FALSE(lumeno::timeZoneForAbbreviation(abbreviation)) << abbreviation;
        EXPECT_EQ(lumeno::programTimeZoneId(std::string(abbreviation)), hostId);
    }
}

TEST(DateFormatter, FormatsInItsZoneToTheMillisecond) {
    const lumeno::DateFormatter kolkata("yyyy-MM-dd'T'HH:mm:ss.SSSZ", "en_US_POSIX", "Asia/Kolkata");
    const Date instant = at(2024y / 1 / 2, 10h + 250ms);
    EXPECT_EQ(kolkata.string(instant), "2024-01-02T15:30:00.250+0530");
}

/// Reads "2024-01-02T10:00:00" with the shared formats under the zones the settings hold in turn:
/// true when each use before the configuration is read follows the settings, and the first use
/// after it fixes the zone.
bool sharedZoneFollowsTheConfiguration() {
    auto& lumeno = lumeno::Lumeno::shared();
    const auto tenOClock = [&](const char* zone) {
        lumeno.updateSettings([&](lumeno::LumenoSettings& settings) { settings.programTimeZone = zone; });
        return lumeno::toDate("2024-01-02T10:00:00", DateUtils::shared()->dateFormats());
    };
    const auto kolkata = tenOClock("IST"), singapore = tenOClock("SGT");
    lumeno::LumenoConfig config;
    config.programTimeZone = "JST";
    lumeno.apply(config);
    const auto tokyo = tenOClock("JST"), fixed = tenOClock("UTC");
    return kolkata == at(2024y / 1 / 2, 4h + 30min) && singapore == at(2024y / 1 / 2, 2h) &&
           tokyo == at(2024y / 1 / 2, 1h) && fixed == tokyo;
}

TEST(DateUtilsDeathTest, TheSharedZoneIsFixedOnlyOnceTheConfigurationHasBeenRead) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: no configuration read yet
    EXPECT_EXIT(std::exit(sharedZoneFollowsTheConfiguration() ? 0 : 1), testing::ExitedWithCode(0), "");
}
