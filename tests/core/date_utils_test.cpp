#include <gtest/gtest.h>

#include <unicode/timezone.h>

#include <memory>

#include "lumeno/core/date_utils.hpp"

using namespace std::chrono;
using lumeno::Date;
using lumeno::DateFormatter;
using lumeno::DateUtils;

namespace {

constexpr Date at(year_month_day day, milliseconds time = {}) { return sys_days(day) + time; }

std::optional<Date> parseWith(const DateUtils& utils, std::size_t format, std::string_view text) {
    return utils.dateFormats().at(format).date(text);
}

}  // namespace

TEST(DateUtils, EachFormatParsesItsOwnShapeOnly) {
    const DateUtils utc(std::nullopt);
    struct Case {
        const char* text;
        std::optional<std::size_t> format;  // the one formatter that takes the text
        Date expected;
    };
    const Case cases[] = {
        {"2024-01-02T10:00:00+0100", 0, at(2024y / 1 / 2, 9h)},
        {"2024-01-02T10:00:00+01:00", 0, at(2024y / 1 / 2, 9h)},
        {"2024-01-02T10:00:00Z", 0, at(2024y / 1 / 2, 10h)},
        {"2024-01-02T10:00:00.250-0530", 1, at(2024y / 1 / 2, 15h + 30min + 250ms)},
        {"2024-01-02T10:00:00", 2, at(2024y / 1 / 2, 10h)},
        {"2024-01-02", 3, at(2024y / 1 / 2)},
        {"2024-01-02T10:00:00Zjunk", std::nullopt, {}},
        {"2024-01-02T10:00:00.250", std::nullopt, {}},
        {"2024-01-02T10:00:00+0000 ", std::nullopt, {}},
        {"2024-02-30", std::nullopt, {}},  // strict: no rolling over into March
        {"2024-01-02 10:00:00", std::nullopt, {}},
        {"3000-01-01", std::nullopt, {}},  // beyond what a Date holds
        {"", std::nullopt, {}},
        {"yesterday", std::nullopt, {}},
    };
    for (const auto& c : cases) {
        for (std::size_t f = 0; f < utc.dateFormats().size(); ++f) {
            const auto parsed = parseWith(utc, f, c.text);
            EXPECT_EQ(parsed.has_value(), c.format == f) << c.text << " with format " << f;
        }
        EXPECT_EQ(lumeno::toDate(c.text, utc.dateFormats()), c.format ? std::optional(c.expected) : std::nullopt)
            << c.text;
    }
    EXPECT_FALSE(lumeno::toDate("2024-01-02", {}));
}

TEST(DateUtils, ZonesByAbbreviation) {
    struct Case {
        std::optional<std::string> abbreviation;
        const char* zone;
        const char* local;
        Date expected;
    };
    const Case cases[] = {
        {std::nullopt, "UTC", "2024-01-02T10:00:00", at(2024y / 1 / 2, 10h)},
        {"UTC", "UTC", "2024-01-02T10:00:00", at(2024y / 1 / 2, 10h)},
        {"GMT", "GMT", "2024-07-02T10:00:00", at(2024y / 7 / 2, 10h)},
        {"IST", "Asia/Kolkata", "2024-01-02T10:00:00", at(2024y / 1 / 2, 4h + 30min)},
        {"EST", "America/New_York", "2024-01-02T10:00:00", at(2024y / 1 / 2, 15h)},
        {"EDT", "America/New_York", "2024-07-02T10:00:00", at(2024y / 7 / 2, 14h)},
        {"BST", "Europe/London", "2024-07-02T10:00:00", at(2024y / 7 / 2, 9h)},
        {"SGT", "Asia/Singapore", "2024-01-02", at(2024y / 1 / 1, 16h)},
        {"AEDT", "Australia/Sydney", "2024-01-02T10:00:00", at(2024y / 1 / 1, 23h)},
        {"PHT", "Asia/Manila", "2024-01-02T10:00:00", at(2024y / 1 / 2, 2h)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lumeno::programTimeZoneId(c.abbreviation), c.zone);
        const DateUtils utils(c.abbreviation);
        EXPECT_EQ(lumeno::toDate(c.local, utils.dateFormats()), c.expected) << c.zone;
        // A text with its own offset does not depend on the zone.
        EXPECT_EQ(lumeno::toDate("2024-01-02T10:00:00+0000", utils.dateFormats()), at(2024y / 1 / 2, 10h));
    }
}

TEST(DateUtils, UnknownAbbreviationKeepsTheDefaultZone) {
    const std::unique_ptr<icu::TimeZone> host(icu::TimeZone::createDefault());
    icu::UnicodeString id;
    host->getID(id);
    std::string hostId;
    id.toUTF8String(hostId);
    for (const char* abbreviation : {"XYZ", "ist", "", "Asia/Tokyo"}) {
        EXPECT_FALSE(lumeno::timeZoneForAbbreviation(abbreviation)) << abbreviation;
        EXPECT_EQ(lumeno::programTimeZoneId(std::string(abbreviation)), hostId);
    }
}

TEST(DateFormatter, FormatsInItsZoneToTheMillisecond) {
    const DateFormatter kolkata("yyyy-MM-dd'T'HH:mm:ss.SSSZ", "en_US_POSIX", "Asia/Kolkata");
    const Date instant = at(2024y / 1 / 2, 10h + 250ms);
    EXPECT_EQ(kolkata.string(instant), "2024-01-02T15:30:00.250+0530");
    EXPECT_EQ(kolkata.date(kolkata.string(instant)), instant);
    const DateFormatter copy = kolkata;  // copies share the formatter
    EXPECT_EQ(copy.date("2024-01-02T15:30:00.250+0530"), instant);
}
