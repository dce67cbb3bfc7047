#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "lumeno/models/offers/lookups.hpp"
#include "models/offers/lookups_keys.hpp"
#include "support/model_samples.hpp"

using namespace lumeno;
using boost::json::parse;
using test::row;
using test::View;

namespace {

using namespace detail;
constexpr View lookUp = row<lookUpKeys>;
constexpr View region = row<regionKeys>;
constexpr View country = row<countryKeys>;
constexpr View city = row<getCitiesResponseKeys>;
constexpr View encodedLookUp = test::encoded<LookUp>;
constexpr View encodedCountry = test::encoded<Country>;
constexpr View encodedCity = test::encoded<GetCitiesResponse>;

JsonValue searchName(const JsonValue& json, const Decoder& decoder) {
    return json::encodeValue(LookUp::decode(json, decoder).nameLowercased);
}

}  // namespace

TEST(LookupRecords, Samples) {
    const test::Sample samples[] = {
        // Look-ups: absent or null translations are an empty list; a broken list is absent only.
        {lookUp, R"({"id":4,"type":"gender","description":"d","code":"F","name":"Female","active":true,
                     "localisations":[{"name":"Femme","locale_code":"fr"},{"name":null}]})",
         R"([4,"gender","d","F","Female",true,[{"name":"Femme","locale_code":"fr"},{}]])"},
        {lookUp, "{}", "[0,null,null,null,null,false,[]]"},
        {lookUp, R"({"localisations":null})", "[0,null,null,null,null,false,[]]"},
        {lookUp, R"({"id":1,"name":"A","localisations":"fr"})", R"([1,null,null,null,"A",false,null])"},
        {lookUp, R"({"id":1,"localisations":[{"name":"x"},{"locale_code":7}]})", "[1,null,null,null,null,false,null]"},
        {lookUp, R"({"active":"true"})", nullptr},
        // The search name: spaces (U+0020 only) removed, then the full Unicode lower case.
        {searchName, R"({"name":"New York"})", R"("newyork")"},
        {searchName, R"({"name":" São  PAULO "})", R"("sãopaulo")"},
        {searchName, R"({"name":"İSTANBUL\tÉTÉ\u00a0X"})", "\"i\u0307stanbul\\t\u00e9t\u00e9\u00a0x\""},
        {searchName, R"({"name":""})", R"("")"},
        {searchName, R"({"name":5})", "null"},
        // Regions, countries, cities.
        {region, R"({"id":3,"name":"Kent","region_code":"KE","country":44,"country_name":"UK"})",
         R"([3,"Kent","KE",44,"UK"])"},
        {region, R"({"region_code":12,"country":null})", "[0,null,null,0,null]"},
        {region, R"({"country":"44"})", nullptr},
        {country, R"({"id":44,"name":"UK","iso_code":"GB"})", R"([44,"UK","GB"])"},
        {city, R"({"id":9,"name":"Leeds","city_code":"LDS","version_counter":"2"})", R"([9,"Leeds","LDS",null])"},
        {city, R"({"name":"Leeds"})", nullptr},
        {city, R"({"id":null})", nullptr},
        // Encoding: look-ups, regions and countries write null, translations and cities leave absent keys out.
        {encodedLookUp, R"({"id":2,"type":"t","description":"d","localisations":[{"locale_code":"fr"}]})",
         R"({"id":2,"type":"t","description":"d","code":null,"name":null,"active":false,
             "localisations":[{"locale_code":"fr"}]})"},
        {encodedCountry, R"({"id":1})", R"({"id":1,"name":null,"iso_code":null})"},
        {encodedCity, R"({"id":1,"name":"Leeds","version_counter":3})", R"({"id":1,"name":"Leeds","version_counter":3})"},
    };
    test::checkSamples(samples);
}

TEST(LookupRecords, EveryKeyFollowsItsRule) {
    test::checkRules(localisationKeys), test::checkRules(lookUpKeys), test::checkRules(regionKeys);
    test::checkRules(countryKeys), test::checkRules(getCitiesResponseKeys);
}

TEST(LookupRecords, DefaultsEncodeAsNull) {
    EXPECT_EQ(LookUp{}.toJson(), parse(R"({"id":0,"type":null,"description":null,"code":null,"name":null,
                                           "active":false,"localisations":null})"));
    EXPECT_EQ(Region{}.toJson(), parse(R"({"id":0,"name":null,"region_code":null,"country":0,"country_name":null})"));
}

TEST(LookupRecords, AListFailsWithOneBadCity) {
    const auto decoder = Decoder::withFreshContext();
    EXPECT_THROW(json::decodeValue<std::vector<GetCitiesResponse>>(parse(R"([{"id":1},{"name":"x"}])"), decoder),
                 DecodingError);
    const auto lookUps = json::decodeValue<std::vector<LookUp>>(parse(R"([{"id":1},{"id":2,"name":"B b"}])"), decoder);
    EXPECT_EQ(lookUps.at(1).nameLowercased, "bb");
    EXPECT_EQ(decoder.transferRef()->transferId, std::nullopt);  // the context stays untouched
}
