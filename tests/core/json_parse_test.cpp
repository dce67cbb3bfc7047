#include <gtest/gtest.h>
#include <unicode/ustring.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "api/response_decoding.hpp"
#include "core/json/parse.hpp"
#include "core/json/writable.hpp"

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

TEST(ParseJson, EveryDecimalReadsAsFromChars) {
    // Short decimals take a quicker reading than long ones: both must give from_chars's double,
    // sign of zero included, on each side of the limits of that reading.
    std::vector<std::string> texts = {"0.0",     "-0.0",     "0e0",   "-0e-5",  "0.5",     "1e22",  "1e23",
                                      "-1e-22",  "1e-23",    "1.0E+2", "2.5e-0", "100e20", "100e21", "0.000001e-17",
                                      "123456789012345.0", "1234567890123456.0", "999999999999999e22",
                                      "999999999999999e-22", "9007199254740993.0", "0.1", "0.3", "4.35",
                                      "1.7976931348623157e308", "5e-324", "0.0000000000000000015e-1"};
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        std::string text = random() % 2 ? "-" : "";
        const int digits = 1 + static_cast<int>(random() % 18);
        const int point = static_cast<int>(random() % static_cast<unsigned>(digits));
        for (int d = 0; d < digits; ++d) {
            if (d == point && d > 0) text += '.';
            // JSON has no leading zero before another digit.
            text += static_cast<char>((d == 0 && point != 1 ? '1' : '0') + random() % (d == 0 && point != 1 ? 9 : 10));
        }
        if (text.find('.') == std::string::npos || random() % 2)
            text.append("e").append(std::to_string(static_cast<int>(random() % 61) - 30));
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        const JsonValue value = parsed("[" + text + "]").as_array()[0];
        if (!value.is_double()) continue;  // an integer without a fraction or exponent
        EXPECT_EQ(value.as_double(), expected) << text;
        EXPECT_EQ(std::signbit(value.as_double()), std::signbit(expected)) << text;
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

// Texts go out only as well-formed UTF-8. The check is the library's own; ICU's conversion is
// the reference: every sequence of two bytes, and three and four with each lead and second byte.
TEST(WritableJson, TakesTheUtf8ThatIcuTakes) {
    const auto icuTakes = [](const std::string& text) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t length = 0;
        u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
        return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status);
    };
    const auto writable = [](const std::string& text) { return !lumeno::json::unwritable(JsonValue(text)); };
    std::vector<std::string> texts = {"", std::string("a\0b", 3), "\xEF\xBF\xBF", "\xF4\x8F\xBF\xBF", "a\xE2\x82"};
    for (int first = 0; first < 256; ++first)
        for (int second = 0; second < 256; ++second) {
            const std::string pair{static_cast<char>(first), static_cast<char>(second)};
            texts.push_back(pair);
            for (const char last : {'\x7F', '\x80', '\xBF', '\xC0'}) {
                texts.push_back(pair + last);
                texts.push_back(pair + '\x80' + last);
            }
        }
    int mismatches = 0;
    for (const std::string& text : texts)
        if (writable(text) != icuTakes(text) && ++mismatches <= 5) ADD_FAILURE() << "differs on " << JsonValue(text);
    EXPECT_EQ(mismatches, 0);
}
