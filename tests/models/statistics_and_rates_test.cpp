#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <limits>

#include "lumeno/models/offers/rates.hpp"
#include "lumeno/models/offers/sponsor_config.hpp"
#include "lumeno/models/offers/statistics.hpp"
#include "models/offers/rates_keys.hpp"
#include "models/offers/sponsor_config_keys.hpp"
#include "models/offers/statistics_keys.hpp"
#include "support/model_samples.hpp"

using namespace lumeno;
using json::encodeValue;
using test::encoded;
using test::View;

namespace {

JsonValue sponsors(const JsonValue& json, const Decoder& decoder) {
    const auto reply = SponsorStatisticsResponse::decode(json, decoder);
    JsonArray rows;
    for (const auto& s : reply.sponsorsList)
        rows.push_back(JsonArray{s.id, encodeValue(s.name), encodeValue(s.logo), encodeValue(s.businessDescription),
                                 s.memberEnrolled});
    return JsonArray{encodeValue(reply.totalCount), rows};
}

JsonValue categories(const JsonValue& json, const Decoder& decoder) {
    JsonArray rows;
    for (const auto& c : CategoryStatisticsResponse::decode(json, decoder).categoriesList)
        rows.push_back(JsonArray{encodeValue(c.name), encodeValue(c.code), c.sponsorsCount});
    return rows;
}

constexpr View defaultRate = encoded<SponsorDefaultRateResponse>;
constexpr View baseRate = encoded<SponsorBaseRateResponse>;
constexpr View config = encoded<SponsorConfigResponse>;

}  // namespace

TEST(StatisticsAndRates, Samples) {
    const test::Sample samples[] = {
        // Rows by position: a null keeps its place, short rows take defaults, long rows stop.
        {sponsors, R"({"sponsor_group":[[17,"n","l","b",240]],"total_count":1})", R"([1,[[17,"n","l","b",240]]])"},
        {sponsors, R"({"sponsor_group":[[5,null,"A","B",10]]})", R"([null,[[5,null,"A","B",10]]])"},
        {sponsors, R"({"sponsor_group":[[17,"n"],[],[1,2,3,4,5,6]],"total_count":"2"})",
         R"([null,[[17,"n",null,null,0],[0,null,null,null,0],[1,null,null,null,5]]])"},
        // Integral numbers stay exact beyond 2^53; outside 64 bits, fractions and flags give 0.
        {sponsors, R"({"sponsor_group":[[9007199254740993,null,null,null,9223372036854775807]]})",
         R"([null,[[9007199254740993,null,null,null,9223372036854775807]]])"},
        {sponsors, R"({"sponsor_group":[[9223372036854775808,null,null,null,-1e19]],"total_count":null})",
         R"([null,[[0,null,null,null,0]]])"},
        {sponsors, R"({"sponsor_group":[[1.0,true,{},[],"7"]]})", R"([null,[[1,null,null,null,0]]])"},
        {sponsors, "{}", "[null,[]]"}, {sponsors, R"({"sponsor_group":null})", "[null,[]]"},
        {sponsors, R"({"sponsor_group":[{"id":1}]})", nullptr}, {sponsors, R"({"sponsor_group":{}})", nullptr},
        {categories, R"({"category_group":[["a","b",12],["a","b",12.5],["c",null,3]]})",
         R"([["a","b",12],["a","b",0],["c",null,3]])"},
        {categories, R"({"category_group":[["a"],"x"]})", nullptr}, {categories, "{}", "[]"},
        // Rates and configurations: lenient, written only when present.
        {defaultRate, R"({"id":1,"loyalty_account":2,"currency_code":"EUR","conversion_rate":0.5,"policy_type":"Award",
                         "version_counter":3,"conversion_value":4,"currency_value":5})",
         R"({"id":1,"loyalty_account":2,"currency_code":"EUR","conversion_rate":0.5,"policy_type":"Award",
             "version_counter":3,"conversion_value":4,"currency_value":5})"},
        {defaultRate, R"({"id":"1","conversion_rate":"0.5","conversion_value":1.5})", "{}"},
        {baseRate, R"({"version_counter":3,"end_date":"2024-01-02","currency_code":"EUR","loyalty_account":2})",
         R"({"loyalty_account":2,"currency_code":"EUR","end_date":"2024-01-02","version_counter":3})"},
        {baseRate, R"({"base_rate":true,"start_date":5,"sponsor":null})", "{}"},
        {config, R"({"id":1,"partnered_sponsor":true,"scannable_receipts":"yes"})", R"({"id":1,"partnered_sponsor":true})"},
        {config, R"({"sponsor":2,"scannable_receipts":false,"partnered_sponsor":1})",
         R"({"sponsor":2,"scannable_receipts":false})"},
    };
    test::checkSamples(samples);
    EXPECT_THROW(SponsorStatistics::decode(JsonObject{}, {}), DecodingError);

    SponsorBaseRateResponse rate;
    rate.baseRate = std::numeric_limits<double>::infinity();
    EXPECT_THROW((void)rate.toJson(), EncodingError);
}

TEST(StatisticsAndRates, EveryKeyFollowsItsRule) {
    test::checkRules(detail::sponsorStatisticsResponseKeys), test::checkRules(detail::categoryStatisticsResponseKeys);
    test::checkRules(detail::sponsorDefaultRateResponseKeys), test::checkRules(detail::sponsorBaseRateResponseKeys);
    test::checkRules(detail::sponsorConfigResponseKeys);
}

TEST(StatisticsAndRates, PolicyRawValues) {
    EXPECT_EQ(rawValue(SponsorDefaultBaseRatePolicy::award), "Award");
    EXPECT_EQ(rawValue(SponsorDefaultBaseRatePolicy::reward), "Reward");
    EXPECT_EQ(sponsorDefaultBaseRatePolicy("Reward"), SponsorDefaultBaseRatePolicy::reward);
    for (const char* raw : {"award", "REWARD", "", "Award "}) EXPECT_EQ(sponsorDefaultBaseRatePolicy(raw), std::nullopt) << raw;
}
