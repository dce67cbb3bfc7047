#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>

#include "api/response_decoding.hpp"
#include "core/json/parse.hpp"

using lumeno::JsonValue;
using lumeno::detail::parseJson;

namespace {

JsonValue parsed(const std::string& text) {
    boost::system::error_code error;
    JsonValue value = parseJson(text, error);
    EXPECT_FALSE(error) << text << ": " << error.message();
    return value;
}

}  // namespace

TEST(ParseJson, DoublesAreCorrectlyRounded) {
    // Boost.JSON's own parse gives each of these one unit in the last place off.
    for (const char* text : {"113.17408141314563", "998.92030650086815", "930.33815428852256", "494.31128204553835",
                             "-504.22005776077884", "4.6476672843190437e2"}) {
        double expected = 0;
        std::from_chars(text, text + std::char_traits<char>::length(text), expected);
        EXPECT_EQ(parsed(std::string("[") + text + "]").as_array()[0].as_double(), expected) << text;
    }
}

TEST(ParseJson, NumbersBeyondTheDoubleRangeFailButTinyOnesAreZero) {
    for (const char* text : {"1e400", "[1,-1e400]", R"({"a":{"b":1.8e308}})"}) {
        boost::system::error_code error;
        EXPECT_TRUE(parseJson(text, error).is_null());
        EXPECT_EQ(error, boost::json::error::exponent_overflow) << text;
    }
    for (const auto& [text, zero] : {std::pair{"1e-400", 0.0}, {"-1e-400", -0.0}, {"0e400", 0.0}}) {
        const double value = parsed(text).as_double();
        EXPECT_EQ(value, 0.0) << text;
        EXPECT_EQ(std::signbit(value), std::signbit(zero)) << text;
    }
}

TEST(ParseJson, NestingStopsAt64AndTrailingTextFails) {
    const auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    parsed(nested(64));
    boost::system::error_code error;
    parseJson(nested(65), error);
    EXPECT_EQ(error, boost::json::error::too_deep);
    parseJson("{} {}", error);
    EXPECT_EQ(error, boost::json::error::extra_data);
}

TEST(ParseJson, RepliesAndErrorBodiesGoThroughIt) {
    using Kind = lumeno::LumenoError::Kind;
    const lumeno::Response reply{200, R"({"n":1e400})", {}, "https://api.test/x"};
    EXPECT_EQ(lumeno::detail::decodeResponse<JsonValue>(reply).error().kind(), Kind::objectMapping);
    const lumeno::Response refusal{400, R"({"error":{"code":"x","data":{"n":1e400}}})", {}, "https://api.test/x"};
    EXPECT_EQ(lumeno::LumenoError::fromStatusCode(refusal).kind(), Kind::lumenoErrorMapping);
}
