#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "lumeno/core/json/free_form.hpp"
#include "core/json/readers.hpp"

using boost::json::parse;
using lumeno::JsonValue;
using lumeno::json::decodeValue;

TEST(FreeForm, MapDropsNullsAndKeepsKinds) {
    const auto map =
        lumeno::json::anyMap(parse(R"({"a":1,"b":null,"c":"x","d":[1,null,true],"e":{"f":null,"g":2.5},"h":3.0,"i":1e1})"));
    // Kinds count in the comparison: numbers in lists come back as floating point; in maps an
    // integral number is an integer whatever its spelling.
    EXPECT_EQ(lumeno::JsonValue(map), parse(R"({"a":1,"c":"x","d":[1.0,true],"e":{"g":2.5},"h":3,"i":10})"));
    EXPECT_THROW(lumeno::json::anyMap(parse("[1]")), lumeno::DecodingError);
    EXPECT_THROW(lumeno::json::anyList(parse("{}")), lumeno::DecodingError);
}

TEST(FreeForm, RenderText) {
    const std::pair<const char*, const char*> cases[] = {
        {R"("text")", "text"}, {"false", "false"}, {"-7", "-7"}, {"12.5", "12.5"}, {"1e30", "1e+30"},
        {"18446744073709551615", "18446744073709551615"},
    };
    for (const auto& [json, text] : cases) EXPECT_EQ(lumeno::json::renderText(parse(json)), text) << json;
}

TEST(Readers, NumbersBeyondTheDoubleRangeAreMismatches) {
    // The parser reads them as infinity ("1e400", "-1e400") or NaN ("0e400"); "N" stands for the number.
    using Read = void (*)(const JsonValue&);
    const std::pair<const char*, Read> cases[] = {
        {"N", [](const JsonValue& j) { (void)decodeValue<double>(j, {}); }},
        {"N", [](const JsonValue& j) { (void)decodeValue<float>(j, {}); }},
        {"N", [](const JsonValue& j) { (void)decodeValue<std::int64_t>(j, {}); }},
        {"[1,N]", [](const JsonValue& j) { (void)decodeValue<std::vector<double>>(j, {}); }},
        {R"({"a":{"b":N}})", [](const JsonValue& j) { (void)lumeno::json::anyMap(j); }},
        {"[1,N]", [](const JsonValue& j) { (void)lumeno::json::anyList(j); }},
        {R"({"a":[N]})", [](const JsonValue& j) { (void)decodeValue<lumeno::JsonObject>(j, {}); }},
        {"[[N]]", [](const JsonValue& j) { (void)decodeValue<lumeno::JsonArray>(j, {}); }},
        {"N", [](const JsonValue& j) { (void)decodeValue<JsonValue>(j, {}); }},
    };
    const auto with = [](std::string shape, std::string_view number) {
        return parse(shape.replace(shape.find('N'), 1, number));
    };
    for (const auto& [shape, read] : cases) {
        EXPECT_NO_THROW(read(with(shape, "12"))) << shape;
        for (const char* number : {"1e400", "-1e400", "0e400"})
            EXPECT_THROW(read(with(shape, number)), lumeno::DecodingError) << shape << " with " << number;
    }
}
