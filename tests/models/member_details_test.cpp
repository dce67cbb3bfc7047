#include <gtest/gtest.h>

#include "lumeno/models/member/member_details.hpp"
#include "lumeno/models/offers/sponsor_mini_model.hpp"
#include "support/model_samples.hpp"

using namespace lumeno;
using boost::json::parse;
using test::checkSamples;
using test::encoded;
using test::Sample;

TEST(SponsorMiniModel, Samples) {
    const Sample samples[] = {
        {"{}", R"({"id":0,"sponsor":0})"},  {R"({"id":null,"sponsor":null})", R"({"id":0,"sponsor":0})"},
        {R"({"id":3,"sponsor":12.0,"sponsor_name":"Cafe","sponsor_short_name":"C"})",
         R"({"id":3,"sponsor":12,"sponsor_name":"Cafe","sponsor_short_name":"C"})"},
        {R"({"id":1e1,"sponsor_name":5,"sponsor_short_name":[]})", R"({"id":10,"sponsor":0})"},
        {R"({"id":12.5})", nullptr}, {R"({"id":"12"})", nullptr}, {R"({"sponsor":true})", nullptr},
        {R"({"sponsor":1e30})", nullptr},
    };
    checkSamples<SponsorMiniModel>(samples, encoded);
    EXPECT_EQ(SponsorMiniModel{}.toJson(), JsonValue(JsonObject{}));
}

TEST(MemberBalance, Samples) {
    const Sample samples[] = {
        {"{}", R"({"loyalty_account_id":0,"balance":0.0})"},
        {R"({"loyalty_account_id":2.0,"loyalty_account":7,"balance":3})", R"({"loyalty_account_id":2,"balance":3.0})"},
        {R"({"loyalty_account_id":"2"})", nullptr}, {R"({"balance":"3"})", nullptr},
    };
    checkSamples<MemberBalance>(samples, encoded);

    const auto json = parse(R"({"loyalty_account_id":4,"loyalty_account":"Points","balance":12.5})");
    const auto decoder = Decoder::withFreshContext();
    EXPECT_EQ(MemberBalance::decode(json, Decoder{}).memberId, std::nullopt);
    EXPECT_EQ(MemberBalance::decode(json, decoder).memberId, std::nullopt);  // a context without an id
    decoder.transferRef()->transferId = "77";
    EXPECT_EQ(MemberBalance::decode(json, decoder).memberId, "77");
    EXPECT_EQ(MemberBalance::decode(json, decoder).toJson(), json);  // the member id is never encoded
}

namespace {

constexpr const char* fullProfile = R"({
    "id":"m-12","first_name":"Ada","last_name":"Byron","email":"ada@example.com","mobile":"+15550100",
    "date_of_birth":"1990-12-10","profile_image":"https://img/ada.png","status":"active",
    "balances":[{"loyalty_account_id":1,"loyalty_account":"Points","balance":250.5}],
    "token":"tok","expires_in":"3600",
    "favorite_sponsors":[{"id":1,"sponsor":9,"sponsor_name":"Cafe"}],
    "extra_data":{"tier":"gold","vip":"true"}})";

}  // namespace

TEST(MemberDetails, Samples) {
    const Sample samples[] = {
        {"{}", R"({"balances":[],"favorite_sponsors":[]})"},
        {fullProfile, fullProfile},
        {R"({"id":12,"balances":null,"favorite_sponsors":null})", R"({"id":"12","balances":[],"favorite_sponsors":[]})"},
        {R"({"id":12.0,"first_name":5,"token":6,"expires_in":3600,"extra_data":[]})",
         R"({"id":"12","balances":[],"favorite_sponsors":[]})"},
        {R"({"id":-3,"extra_data":{"n":2,"f":false,"skip":null}})",
         R"({"id":"-3","balances":[],"favorite_sponsors":[],"extra_data":{"n":"2","f":"false"}})"},
        {R"({"id":12.5})", nullptr}, {R"({"id":true})", nullptr}, {R"({"id":{}})", nullptr},
        {R"({"balances":{}})", nullptr}, {R"({"favorite_sponsors":[{"id":"1"}]})", nullptr},
        {R"({"balances":[{"balance":1},{"balance":"x"}]})", nullptr},  // one bad element fails the list
    };
    checkSamples<MemberDetails>(samples, encoded);
    checkSamples<MemberDetails>(samples, encoded, Decoder::withFreshContext());
}

TEST(MemberDetails, WritesItsIdAndPrefixBeforeNestedRecords) {
    const auto decoder = Decoder::withFreshContext();
    const auto member = MemberDetails::decode(
        parse(R"({"extra_data":{"tier":"gold"},"balances":[{"balance":1}],"id":42})"), decoder);
    EXPECT_EQ(member.balances.at(0).memberId, "42");
    EXPECT_EQ(member.extraData->customAttributes.at(0).id, "md42tier");
    EXPECT_EQ(decoder.transferRef()->transferId, "42");  // left for what the reply decodes later
    EXPECT_EQ(decoder.transferRef()->prefixExtraData, "md");

    // A profile without an id clears the earlier id instead of lending it to its balances.
    const auto anonymous = MemberDetails::decode(parse(R"({"balances":[{"balance":1}],"extra_data":{}})"), decoder);
    EXPECT_EQ(anonymous.balances.at(0).memberId, std::nullopt);
    EXPECT_EQ(anonymous.extraData->id, "md");

    const auto bare = MemberDetails::decode(parse(fullProfile), Decoder{});
    EXPECT_EQ(bare.balances.at(0).memberId, std::nullopt);
    EXPECT_EQ(bare.extraData->customAttributes.at(0).id, "tier");
}

TEST(MemberDetailsConcise, EveryKeyIsLenient) {
    const auto json = parse(R"({"id":"7","profile_image":"p","first_name":"A","last_name":"B","middle_name":"C",
                                "member_name":"ABC"})");
    const auto member = MemberDetailsConcise::decode(json, {});
    EXPECT_EQ(std::tie(member.id, member.profileImage, member.firstName, member.lastName, member.middleName,
                       member.memberName),
              std::make_tuple("7", "p", "A", "B", "C", "ABC"));
    const auto wrong = MemberDetailsConcise::decode(
        parse(R"({"id":7,"profile_image":true,"first_name":[],"last_name":{},"middle_name":null,"member_name":1.5})"), {});
    EXPECT_FALSE(wrong.id || wrong.profileImage || wrong.firstName || wrong.lastName || wrong.middleName ||
                 wrong.memberName);
}

TEST(MemberRecords, NonObjectsAreRejected) {
    test::expectNonObjectsRejected<SponsorMiniModel, MemberBalance, MemberDetails, MemberDetailsConcise>();
}
