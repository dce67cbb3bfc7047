#include <gtest/gtest.h>

#include "lumeno/core/date_utils.hpp"

using namespace std::chrono;
using lumeno::DateUtils;

// `DateUtils::date` reads some texts without ICU; it must give what the formats give.
TEST(DateUtils, DateGivesWhatTheFormatsGive) {
    const char* texts[] = {
        // Read directly: two-digit fields, a three-digit fraction, a numeric offset.
        "2024-03-01T09:30:00+0800", "2024-03-01T09:30:00.250-0530", "2024-02-29T23:59:59.999+2359",
        "1900-01-01T00:00:00-2359", "2199-12-31T23:59:59+0000", "2023-12-31T00:00:00-0000",
        // Left to the formats: out of range, another shape, or no offset.
        "2023-02-29T10:00:00+0000", "2024-04-31T10:00:00+0000", "2024-03-01T24:00:00+0000",
        "2024-03-01T10:60:00+0000", "2024-03-01T10:00:60+0000", "2024-03-01T10:00:00+2400",
        "2024-03-01T10:00:00+0860", "1899-12-31T23:00:00-0100", "2200-01-01T00:00:00+0000",
        "2024-03-01T10:00:00Z", "2024-03-01T10:00:00+08:00", "2024-03-01T10:00:00.25+0800",
        "2024-3-01T10:00:00+08000", "2024-3-1", "", "soon", "0-1-1T0:0:0", "2024-03-01 10:00:00+0800",
        // In the programme's zone: read directly away from the zone's changes of offset...
        "2024-03-01T10:00:00", "2024-03-01", "1900-01-01", "1969-12-31T23:59:59", "2199-12-31T23:59:59",
        "2024-02-29", "2024-07-04T12:00:00", "1942-09-01", "2024-03-07T02:30:00", "2024-03-13T02:30:00",
        // ...and left to the formats near one: skipped, repeated or just past.
        "2024-03-10T02:30:00", "2024-03-10", "2024-11-03T01:30:00", "2024-11-03", "2024-03-31T02:30:00",
        "2024-10-27T02:30:00", "2024-03-11T00:00:00",
        // Left to the formats: out of range or another shape.
        "2023-02-29", "2024-13-01", "2024-03-00", "1899-12-31", "2200-01-01", "2024-03-01T10:00",
        "2024-03-01T10:00:00.250", "2024-03-01t10:00:00", "2024/03/01", "+2024-03-01", "2024-03-1 ",
    };
    for (const auto& zone : {std::optional<std::string>(), std::optional<std::string>("IST"),
                             std::optional<std::string>("PST"), std::optional<std::string>("CET"),
                             std::optional<std::string>("NZST")}) {
        const DateUtils utils(zone);
        for (const char* text : texts)
            EXPECT_EQ(utils.date(text), lumeno::toDate(text, utils.dateFormats())) << text << " " << zone.value_or("UTC");
    }
    EXPECT_EQ(DateUtils(std::nullopt).date("2024-03-01T09:30:00.250-0530"),
              sys_days(2024y / 3 / 1) + 15h + 250ms);
    EXPECT_EQ(DateUtils(std::optional<std::string>("PST")).date("2024-07-04T12:00:00"), sys_days(2024y / 7 / 4) + 19h);
    EXPECT_EQ(DateUtils(std::optional<std::string>("IST")).date("2024-03-01"), sys_days(2024y / 2 / 29) + 18h + 30min);
}
