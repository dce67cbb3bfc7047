#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "lumeno/models/member/account_replies.hpp"
#include "lumeno/models/member/balances.hpp"
#include "lumeno/models/member/cards.hpp"
#include "lumeno/models/member/family.hpp"
#include "lumeno/models/member/member_response.hpp"
#include "lumeno/models/member/payment.hpp"
#include "models/member/account_replies_keys.hpp"
#include "models/member/balances_keys.hpp"
#include "models/member/cards_keys.hpp"
#include "models/member/family_keys.hpp"
#include "models/member/member_response_keys.hpp"
#include "models/member/payment_keys.hpp"
#include "support/model_samples.hpp"

using namespace lumeno;
using boost::json::parse;
using json::encodeValue;
using test::row;
using test::View;

namespace {

using namespace detail;
constexpr View status = row<memberStatusKeys>;
constexpr View apple = row<appleStatusKeys>;
constexpr View password = row<passwordStatusKeys>;
constexpr View delink = row<socialDelinkResponseKeys>;
constexpr View attribute = row<loginAttributeKeys>;
constexpr View referral = row<memberReferralResponseKeys>;
constexpr View upload = row<s3ImageResponseKeys>;
constexpr View change = row<changePasswordResponseKeys>;
constexpr View pending = row<pendingPointBalanceKeys>;
constexpr View loyalty = row<loyaltyBalanceKeys>;
constexpr View tag = row<balanceTagKeys>;
constexpr View payment = row<paymentKeys>;
constexpr View summary = row<familySummaryKeys>;
constexpr View cardReply = row<cardRequestResponseKeys>;
constexpr View token = row<lumenoTokenResponseKeys>;
constexpr View reply = test::encoded<MemberResponse>;

JsonValue invite(const JsonValue& json, const Decoder& decoder) {
    const auto i = FamilyInvite::decode(json, decoder);
    return JsonArray{i.id, encodeValue(i.inviter ? i.inviter->firstName : std::nullopt), i.invitee.has_value(),
                     encodeValue(i.createdTs), encodeValue(i.updatedTs)};
}

JsonValue accepted(const JsonValue& json, const Decoder& decoder) {
    return FamilyMemberInviteResponse::decode(json, decoder).accepted();
}

JsonValue card(const JsonValue& json, const Decoder& decoder) {
    const auto c = CardDetails::decode(json, decoder);
    return JsonArray{c.id, encodeValue(c.number), encodeValue(c.name), encodeValue(c.member), encodeValue(c.status),
                     encodeValue(c.memberData ? c.memberData->memberName : std::nullopt), encodeValue(c.error)};
}

}  // namespace

TEST(AccountRecords, Samples) {
    const test::Sample samples[] = {
        // Strict keys: absent or null gives the default, a value of another type fails.
        {status, "{}", "[false,false]"}, {status, R"({"exists":true,"validated":null})", "[true,false]"},
        {status, R"({"validated":0})", nullptr}, {apple, R"({"exists":true})", "[true]"},
        {password, R"({"exists":true})", "[true]"}, {summary, R"({"size":3,"head":"m1"})", R"([3,"m1"])"},
        {delink, "{}", "[null,null]"}, {delink, R"({"social_delink":true,"logout":false})", "[true,false]"},
        {delink, R"({"logout":0})", nullptr},
        // Lenient keys: a value of another type reads as absent, nested records included.
        {attribute, R"({"attribute":"a"})", R"(["a"])"}, {referral, R"({"data":"d"})", R"(["d"])"},
        {upload, R"({"url":"u","signed_request":"s"})", R"(["u","s"])"},
        {upload, R"({"signedRequest":"a","signed_request":"b"})", R"([null,"a"])"},
        {upload, R"({"signedRequest":5,"signed_request":"b"})", R"([null,"b"])"},
        {change, R"({"message":"m","auth_key":"k","token":"t","expires_in":"60","status":"ok"})",
         R"(["m","k","t","60","ok"])"},
        {change, R"({"message":1,"auth_key":null,"token":false,"expires_in":60,"status":[]})",
         "[null,null,null,null,null]"},
        {accepted, R"({"status":"accepted"})", "true"}, {accepted, R"({"status":"Accepted"})", "false"},
        {invite, R"({"id":5,"inviter":{"first_name":"Ada"},"invitee":"m2","created_ts":"c","updated_ts":7})",
         R"([5,"Ada",false,"c",null])"},
        {card, R"({"id":3,"number":"41","name":"Main","member":"m1","status":"on","member_data":{"member_name":"Ada"},
                   "error":{"message":"m"}})", R"([3,"41","Main","m1","on","Ada",{"message":"m"}])"},
        {cardReply, R"({"data":"done","error":{"message":"m"}})", R"(["done",{"message":"m"}])"},
        // Balances: lenient texts and strict numbers; a float out of its range fails.
        {pending, R"({"member_id":"m","loyalty_account_id":"a","total_points":10,"available_points":7.5,
                      "pending_points":2.5})", R"(["m","a",10.0,7.5,2.5])"},
        {pending, R"({"member_id":1,"loyalty_account_id":2,"total_points":null})", "[null,null,0.0,0.0,0.0]"},
        {pending, R"({"pending_points":"2"})", nullptr},
        {loyalty, R"({"loyalty_account_id":"a","redeemed":1,"rewarded":2.5,"new_balance":10,"old_balance":8.5})",
         R"(["a",1.0,2.5,10.0,8.5])"},
        {loyalty, R"({"new_balance":1e39})", nullptr},
        // Integers take only numbers with an exact integral value in range.
        {tag, R"({"id":null,"name":"Gold","description":2})", R"([0,"Gold",null])"},
        {tag, R"({"id":12.0})", "[12,null,null]"}, {tag, R"({"id":12.5})", nullptr}, {tag, R"({"id":"12"})", nullptr},
        {tag, R"({"id":true})", nullptr}, {tag, R"({"id":1e19})", nullptr},
        {tag, R"({"id":18446744073709551615})", nullptr},
        // Without a decoding context a payment has no id.
        {payment, R"({"amount":25,"payment_method":"card"})", R"([25,"card"])"},
        // The validation reply needs both keys.
        {token, R"({"success":true,"token":"t"})", R"([true,"t"])"}, {token, R"({"token":"t"})", nullptr},
        {token, R"({"success":true})", nullptr}, {token, R"({"success":true,"token":null})", nullptr},
        // A member reply fails with a profile of the wrong type or a failing profile.
        {reply, "{}", R"({"success":false})"},
        {reply, R"({"member_data":{"id":"m1"},"token":"t","expires_in":"3600","success":true,"error":{"code":"c"}})",
         R"({"member_data":{"id":"m1","balances":[],"favorite_sponsors":[]},"token":"t","expires_in":"3600",
             "success":true,"error":{"code":"c"}})"},
        {reply, R"({"member_data":"m1"})", nullptr},
        {reply, R"({"member_data":{"balances":[{"balance":"x"}]}})", nullptr},
    };
    test::checkSamples(samples);
}

TEST(AccountRecords, EveryKeyFollowsItsRule) {
    test::checkRules(memberStatusKeys), test::checkRules(appleStatusKeys), test::checkRules(passwordStatusKeys);
    test::checkRules(socialDelinkResponseKeys), test::checkRules(loginAttributeKeys);
    test::checkRules(s3ImageResponseKeys), test::checkRules(memberReferralResponseKeys);
    test::checkRules(changePasswordResponseKeys), test::checkRules(pendingPointBalanceKeys);
    test::checkRules(loyaltyBalanceKeys), test::checkRules(balanceTagKeys), test::checkRules(paymentKeys);
    test::checkRules(familySummaryKeys), test::checkRules(familyInviteKeys);
    test::checkRules(familyMemberInviteResponseKeys), test::checkRules(cardDetailsKeys);
    test::checkRules(cardRequestResponseKeys), test::checkRules(memberResponseKeys);
    test::checkRules(lumenoTokenResponseKeys);
}

TEST(AccountRecords, IdsComeFromTheDecodingContext) {
    const auto decoder = Decoder::withFreshContext();
    const auto json = parse(R"({"amount":25})");
    EXPECT_EQ(Payment::decode(json, decoder).id, "");  // a context without a transfer id
    decoder.transferRef()->transferId = "981";
    EXPECT_EQ(Payment::decode(json, decoder).id, "9810");
    const auto reply = MemberResponse::decode(parse(R"({"member_data":{"id":9,"balances":[{}]}})"), decoder);
    EXPECT_EQ(reply.member->balances.at(0).memberId, "9");
}

TEST(AccountRecords, RequestBodies) {
    EXPECT_EQ(AppleLoginDetails("c0de", "Ada", "Byron", "ada@example.com").toJson(), parse(R"({"code":"c0de"})"));
    EXPECT_EQ((CardAddRequest{"41", "Main", "m1"}.toJson()), parse(R"({"number":"41","name":"Main","member":"m1"})"));
    EXPECT_EQ(CardCancelRequest("lost", "gone").toJson(), parse(R"({"reason":"lost","comment":"gone"})"));
}
