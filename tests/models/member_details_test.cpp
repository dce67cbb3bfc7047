#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "lumeno/models/member/member_details.hpp"
#include "lumeno/models/offers/sponsor_mini_model.hpp"
#include "models/member/member_details_keys.hpp"
#include "models/offers/sponsor_mini_model_keys.hpp"
#include "support/model_samples.hpp"

using namespace lumeno;
using boost::json::parse;
using test::encoded;

namespace {

constexpr const char* fullProfile = R"({"id":"m-12","first_name":"Ada","last_name":"Byron","email":"a@x",
    "mobile":"+1","date_of_birth":"1990-12-10","profile_image":"p","status":"active","token":"t","expires_in":"60",
    "balances":[{"loyalty_account_id":1,"loyalty_account":"Points","balance":250.5}],
    "favorite_sponsors":[{"id":1,"sponsor":9,"sponsor_name":"Cafe"}],"extra_data":{"tier":"gold","vip":"true"}})";

constexpr test::View sponsor = encoded<SponsorMiniModel>;
constexpr test::View balance = encoded<MemberBalance>;
constexpr test::View details = encoded<MemberDetails>;
constexpr test::View concise = test::row<detail::memberDetailsConciseKeys>;

}  // namespace

TEST(MemberRecords, Samples) {
    const test::Sample samples[] = {
        // A sponsor and a balance always write their numbers; the member id of a balance never.
        {sponsor, "{}", R"({"id":0,"sponsor":0})"},
        {sponsor, R"({"id":3,"sponsor":12,"sponsor_name":"Cafe","sponsor_short_name":[]})",
         R"({"id":3,"sponsor":12,"sponsor_name":"Cafe"})"},
        {balance, R"({"loyalty_account_id":2,"loyalty_account":7,"balance":3})",
         R"({"loyalty_account_id":2,"balance":3.0})"},
        {concise, R"({"id":"7","profile_image":"p","first_name":"A","last_name":"B","middle_name":"C",
                      "member_name":"D"})", R"(["7","p","A","B","C","D"])"},
        {concise, R"({"id":7,"first_name":[],"member_name":{}})", "[null,null,null,null,null,null]"},
        // The profile: an integral id becomes text, texts are lenient, lists all-or-nothing.
        {details, "{}", R"({"balances":[],"favorite_sponsors":[]})"}, {details, fullProfile, fullProfile},
        {details, R"({"id":12,"balances":null,"favorite_sponsors":null,"first_name":5,"extra_data":[]})",
         R"({"id":"12","balances":[],"favorite_sponsors":[]})"},
        {details, R"({"id":-3,"extra_data":{"n":2,"f":false,"skip":null}})",
         R"({"id":"-3","balances":[],"favorite_sponsors":[],"extra_data":{"n":"2","f":"false"}})"},
        {details, R"({"id":{}})", nullptr}, {details, R"({"favorite_sponsors":[{"id":"1"}]})", nullptr},
        {details, R"({"balances":[{"balance":1},{"balance":"x"}]})", nullptr},
    };
    test::checkSamples(samples);
    test::checkSamples(samples, Decoder::withFreshContext());
    EXPECT_EQ(SponsorMiniModel{}.toJson(), JsonValue(JsonObject{}));
}

TEST(MemberRecords, EveryKeyFollowsItsRule) {
    for (const auto& decoder : {Decoder{}, Decoder::withFreshContext()}) {
        test::checkRules(detail::memberBalanceKeys, decoder), test::checkRules(detail::memberDetailsKeys, decoder);
        test::checkRules(detail::memberDetailsConciseKeys, decoder), test::checkRules(detail::sponsorMiniModelKeys, decoder);
    }
}

TEST(MemberRecords, IdsComeFromTheDecodingContext) {
    const auto json = parse(R"({"balance":1})");
    const auto decoder = Decoder::withFreshContext();
    EXPECT_EQ(MemberBalance::decode(json, Decoder{}).memberId, std::nullopt);
    EXPECT_EQ(MemberBalance::decode(json, decoder).memberId, std::nullopt);  // a context without an id
    decoder.transferRef()->transferId = "77";
    EXPECT_EQ(MemberBalance::decode(json, decoder).memberId, "77");

    // The profile writes its id and the "md" prefix before it decodes its balances and attributes.
    const auto member = MemberDetails::decode(parse(R"({"extra_data":{"t":"g"},"balances":[{}],"id":42})"), decoder);
    EXPECT_EQ(member.balances.at(0).memberId, "42");
    EXPECT_EQ(member.extraData->customAttributes.at(0).id, "md42t");
    EXPECT_EQ(decoder.transferRef()->transferId, "42");  // left for what the reply decodes later
    // A profile without an id clears the earlier id instead of lending it to its balances.
    const auto anonymous = MemberDetails::decode(parse(R"({"balances":[{}],"extra_data":{}})"), decoder);
    EXPECT_EQ(anonymous.balances.at(0).memberId, std::nullopt);
    EXPECT_EQ(anonymous.extraData->id, "md");
    EXPECT_EQ(MemberDetails::decode(parse(fullProfile), Decoder{}).extraData->customAttributes.at(0).id, "tier");
}
