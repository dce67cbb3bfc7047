#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "lumeno/models/offers/promotion.hpp"
#include "models/offers/promotion_keys.hpp"
#include "support/model_samples.hpp"

using namespace lumeno;
using boost::json::parse;

namespace {

using namespace detail;

JsonValue millis(const std::optional<Date>& date) {
    if (!date) return nullptr;
    return std::chrono::duration_cast<std::chrono::milliseconds>(date->time_since_epoch()).count();
}

/// The keyed fields that differ from those of `{}`, by key.
JsonValue changed(const JsonValue& json, const Decoder& decoder) {
    const JsonObject defaults = test::shown(promotionKeys, JsonObject{}, decoder);
    JsonObject out;
    for (auto& [key, value] : test::shown(promotionKeys, json, decoder))
        if (defaults.at(key) != value) out[key] = value;
    return out;
}

/// [usage date text, its instant, valid-till text, its instant]; instants in epoch milliseconds.
JsonValue dates(const JsonValue& json, const Decoder& decoder) {
    const auto p = Promotion::decode(json, decoder);
    return JsonArray{test::Show{}(p.usageDateStr), millis(p.usageDate), test::Show{}(p.validTillStr),
                     millis(p.validTill)};
}

}  // namespace

TEST(Promotion, Samples) {
    const test::Sample samples[] = {
        // Every keyed field in table order: the defaults.
        {test::row<promotionKeys>, "{}",
         R"([null,null,null,null,null,"","null",null,null,null,null,null,0,null,null,null,null,null,null,null,null,
             null,0.0,null,0.0,0,0,null,null,null,false,null,null,null,null,null,null,null,[]])"},
        // The keys ending in an upper-case "ID", the snake_case ones, and those of other types than text.
        {changed, R"({"memberID":"M1","productID":4,"bitID":"b","availmentBitID":"ab","offerID":9,"sponsorID":3,
                      "offer_desktop_image":"di","offer_mobile_image":"mi","uniquePrivilegeCode":"U1","value":2.5,
                      "isExternalPrivilege":true,"externalPrivilegeResponse":{"voucher":"V"},"offerExtraData":{"a":1},
                      "selectedProductsList":[{"productId":4,"productChoosen":true}]})",
         R"({"memberID":"M1","productID":4,"bitID":"b","availmentBitID":"ab","offerID":9,"sponsorID":3,
             "offer_desktop_image":"di","offer_mobile_image":"mi","uniquePrivilegeCode":"U1","value":2.5,
             "isExternalPrivilege":true,"externalPrivilegeResponse":true,"offerExtraData":true,
             "selectedProductsList":[{"productId":4,"productChoosen":true}]})"},
        // Null keeps the default, "null" included; the lenient numbers and maps drop a wrong type.
        {changed, R"({"privilegeCode":null,"uniquePrivilegeCode":null,"selectedProductsList":null})", "{}"},
        {changed, R"({"value":"2","productCost":"x","externalPrivilegeResponse":5,"extraData":[1]})", "{}"},
        {changed, R"({"externalPrivilegeResponse":null,"validTillStr":"v","usageDateStr":"u"})", "{}"},
        {changed, R"({"privilegeCode":5})", nullptr},
        {changed, R"({"offerID":"9"})", nullptr},
        {changed, R"({"selectedProductsList":[{"productId":4},{"productChoosen":"yes"}]})", nullptr},
        // Dates: the text as received and, from a non-empty text in a shared format, the instant.
        {dates, R"({"usageDate":"","validTill":"2024-03-01T09:30:00Z"})", R"(["",null,"2024-03-01T09:30:00Z",1709285400000])"},
        {dates, R"({"usageDate":"01/03/2024","validTill":7})", R"(["01/03/2024",null,null,null])"},
        {dates, R"({"validTill":"2024-03-01T09:30:00.250+0100","validTillStr":"other"})",
         R"([null,null,"2024-03-01T09:30:00.250+0100",1709281800250])"},
    };
    test::checkSamples(samples);
    test::checkSamples(samples, Decoder::withFreshContext());

    const auto dateOnly = Promotion::decode(parse(R"({"usageDate":"2024-03-01"})"), Decoder());
    EXPECT_EQ(dateOnly.usageDate, toDate("2024-03-01", DateUtils::shared()->dateFormats()));
}

TEST(Promotion, EveryKeyFollowsItsRule) { test::checkRules(promotionKeys); }

TEST(Promotion, WritesItsCodeBetweenItsTwoAttributeMaps) {
    const auto json = parse(R"([{"privilegeCode":"A","offerExtraData":{"o":1},"extraData":{"e":2}},
                                {"offerExtraData":{"o":3},"privilegeCode":"B","extraData":{"e":4}}])");
    const auto decoder = Decoder::withFreshContext();
    DataTransferModel& context = *decoder.transferRef();
    context.transferId = "7";
    context.prefixExtraData = "p";
    context.prefixLocationUrls = "lu";
    const auto list = json::decodeValue<std::vector<Promotion>>(json, decoder);
    // The first offer map sees what came before; each later map the previous promotion's code.
    EXPECT_EQ(list[0].offerExtraData->id, "p7");
    EXPECT_EQ(list[0].extraData->customAttributes, (std::vector<CustomAttribute>{{"promotionExtraDataAe", "e", "2"}}));
    EXPECT_EQ(list[1].offerExtraData->id, "promotionExtraDataA");
    EXPECT_EQ(list[1].extraData->id, "promotionExtraDataB");
    EXPECT_EQ(context.transferId, "B");
    EXPECT_EQ(context.prefixLocationUrls, "lu");

    // An absent code writes the empty text; without a context nothing is written or read.
    EXPECT_EQ(Promotion::decode(JsonObject{}, decoder).privilegeCode, "");
    EXPECT_EQ(context.transferId, "");
    const auto plain = json::decodeValue<std::vector<Promotion>>(json, Decoder());
    EXPECT_EQ(plain[1].offerExtraData->id, "");
    EXPECT_EQ(plain[1].extraData->customAttributes.at(0).id, "e");
}
