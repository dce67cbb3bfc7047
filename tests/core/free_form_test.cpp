#include <gtest/gtest.h>

#include "lumeno/core/json/extra_data.hpp"
#include "lumeno/core/json/free_form.hpp"
#include "lumeno/core/json/readers.hpp"

using lumeno::JsonValue;
using boost::json::parse;

TEST(FreeForm, MapDropsNullsAndKeepsKinds) {
    const auto map = lumeno::json::anyMap(parse(R"({"a":1,"b":null,"c":"x","d":[1,null,true],"e":{"f":null,"g":2.5}})"));
    EXPECT_EQ(JsonValue(map), parse(R"({"a":1,"c":"x","d":[1.0,true],"e":{"g":2.5}})"));
    EXPECT_TRUE(map.at("a").is_int64());
    EXPECT_TRUE(map.at("d").get_array()[0].is_double());  // list numbers come back as floating point
}

TEST(FreeForm, NonContainersAreRejected) {
    EXPECT_THROW(lumeno::json::anyMap(parse("[1]")), lumeno::DecodingError);
    EXPECT_THROW(lumeno::json::anyList(parse("{}")), lumeno::DecodingError);
}

TEST(FreeForm, RenderText) {
    const std::pair<const char*, const char*> cases[] = {
        {R"("text")", "text"}, {"true", "true"}, {"false", "false"}, {"42", "42"},
        {"-7", "-7"},          {"12.5", "12.5"}, {"1e30", "1e+30"},  {"18446744073709551615", "18446744073709551615"},
    };
    for (const auto& [json, text] : cases) EXPECT_EQ(lumeno::json::renderText(parse(json)), text) << json;
}

TEST(ExtraData, IdsComeFromTheContext) {
    const auto json = parse(R"({"tier":"gold","vip":true,"none":null})");
    auto decoder = lumeno::Decoder::withFreshContext();
    decoder.transferRef()->transferId = "12";
    decoder.transferRef()->prefixExtraData = "s";
    const auto data = lumeno::ExtraData::decode(json, decoder);
    EXPECT_EQ(data.id, "s12");
    ASSERT_EQ(data.customAttributes.size(), 2u);
    EXPECT_EQ(data.customAttributes[0], (lumeno::CustomAttribute{"s12tier", "tier", "gold"}));
    EXPECT_EQ(data.customAttributes[1], (lumeno::CustomAttribute{"s12vip", "vip", "true"}));

    const auto bare = lumeno::ExtraData::decode(json, lumeno::Decoder{});
    EXPECT_EQ(bare.id, "");
    EXPECT_EQ(bare.customAttributes[0].id, "tier");
    EXPECT_THROW(lumeno::ExtraData::decode(parse("[]"), decoder), lumeno::DecodingError);
}
