#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "lumeno/models/offers/privileges.hpp"
#include "models/offers/privileges_keys.hpp"
#include "support/model_samples.hpp"

using namespace lumeno;
using boost::json::parse;
using test::row;

namespace {

using namespace detail;
constexpr test::View product = row<productKeys>;
constexpr test::View privilege = row<privilegeKeys>;
constexpr test::View external = row<externalPrivilegeResponseKeys>;
constexpr test::View choice = test::encoded<ProductChoice>;

}  // namespace

TEST(PrivilegeRecords, Samples) {
    const test::Sample samples[] = {
        // Product: [id, extra data, product, name, award price, cost, category, currency id, currency name].
        {product, "{}", "[0,null,0,null,0.0,0.0,null,null,null]"},
        {product, R"({"id":7,"product_extra_data":{"size":"L"},"product":3,"product_name":"Mug","award_price":12.5,
                      "product_cost":4,"product_category":"Home","product_currency_id":"1","product_currency_name":"Pts"})",
         R"([7,true,3,"Mug",12.5,4.0,"Home","1","Pts"])"},
        {product, R"({"product_name":5,"product_currency_id":2,"product_extra_data":[]})",
         "[0,null,0,null,0.0,0.0,null,null,null]"},
        {product, R"({"id":"7"})", nullptr}, {product, R"({"product_category":3})", nullptr},
        {product, R"({"award_price":"1"})", nullptr},
        // Privilege: dates stay texts; the numbers are strict.
        {privilege, R"({"member_id":"m1","privilege_code":"P1","bit_id":"b","start_date":"2024-01-01","end_date":"e",
                        "usage_date":"u","value":2.5,"product_id":4,"offer_id":9,"status":"ACTIVE","cdc":"c"})",
         R"(["m1","P1","b","2024-01-01","e","u",2.5,4,9,"ACTIVE","c"])"},
        {privilege, R"({"start_date":5,"value":null,"offer_id":9.0})",
         "[null,null,null,null,null,null,0.0,0,9,null,null]"},
        {privilege, R"({"value":"2"})", nullptr}, {privilege, R"({"offer_id":9.5})", nullptr},
        {external, R"({"giftcard_url":"u","giftcard_number":"n","voucher":7})", R"(["u","n",null])"},
        // Product choices encode back exactly the keys they hold.
        {choice, "{}", "{}"},
        {choice, R"({"productId":4,"validTill":"2024-12-31","sponsor":null})", R"({"productId":4,"validTill":"2024-12-31"})"},
        {choice, R"({"productId":1,"sponsor":2,"totalCount":3,"privilegeValidity":"v","productChoosenInBit":"b",
                     "productChoosenDate":"d","productChoosen":true,"validityInterval":4,"validityIntervalField":5,
                     "validFrom":"f","validTill":"t","privilegeCode":"c"})",
         R"({"productId":1,"sponsor":2,"totalCount":3,"privilegeValidity":"v","productChoosenInBit":"b",
             "productChoosenDate":"d","productChoosen":true,"validityInterval":4,"validityIntervalField":5,
             "validFrom":"f","validTill":"t","privilegeCode":"c"})"},
        {choice, R"({"productChoosen":"yes"})", nullptr},
    };
    test::checkSamples(samples);
    test::checkSamples(samples, Decoder::withFreshContext());
}

TEST(PrivilegeRecords, EveryKeyFollowsItsRule) {
    test::checkRules(productKeys), test::checkRules(privilegeKeys), test::checkRules(productChoiceKeys);
    test::checkRules(externalPrivilegeResponseKeys);
}

TEST(PrivilegeRecords, ProductWritesItsIdBeforeItsAttributes) {
    const auto decoder = Decoder::withFreshContext();
    DataTransferModel& context = *decoder.transferRef();
    context.prefixLocationUrls = "lu";
    EXPECT_EQ(Product::decode(JsonObject{}, decoder).id, 0);
    EXPECT_EQ(context.transferId, "0");
    EXPECT_EQ(context.prefixExtraData, "p");

    // "product_extra_data" before "id" in the text changes nothing: the id is read first.
    const auto json = parse(R"([{"product_extra_data":{"size":"L"},"id":7},{"id":9}])");
    const auto products = json::decodeValue<std::vector<Product>>(json, decoder);
    EXPECT_EQ(products.at(0).extraData->id, "p7");
    EXPECT_EQ(products.at(0).extraData->customAttributes, (std::vector<CustomAttribute>{{"p7size", "size", "L"}}));
    EXPECT_EQ(context.transferId, "9");  // the last product's, left for what follows
    EXPECT_EQ(context.prefixLocationUrls, "lu");

    // Without a context the attribute ids are the keys alone.
    EXPECT_EQ(Product::decode(json.at(0), Decoder{}).extraData->customAttributes.at(0).id, "size");
}
