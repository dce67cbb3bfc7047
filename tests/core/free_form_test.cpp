#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "lumeno/core/json/free_form.hpp"
#include "core/json/readers.hpp"

using boost::json::parse;

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
