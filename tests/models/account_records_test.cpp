#include <gtest/gtest.h>

#include "lumeno/core/json/wrap.hpp"
#include "lumeno/models/member/account_replies.hpp"
#include "lumeno/models/member/balances.hpp"
#include "lumeno/models/member/cards.hpp"
#include "lumeno/models/member/family.hpp"
#include "lumeno/models/member/member_response.hpp"
#include "lumeno/models/member/payment.hpp"
#include "support/model_samples.hpp"

using namespace lumeno;
using boost::json::parse;
using json::encodeValue;
using test::checkSamples;
using test::Sample;

TEST(AccountRecords, Flags) {
    const Sample status[] = {
        {"{}", "[false,false]"}, {R"({"exists":true,"validated":null})", "[true,false]"},
        {R"({"exists":false,"validated":true})", "[false,true]"}, {R"({"validated":0})", nullptr},
        {R"({"exists":"true"})", nullptr},
    };
    checkSamples<MemberStatus>(status, [](const MemberStatus& s) { return JsonArray{s.exists, s.validated}; });
    const Sample exists[] = {{"{}", "false"}, {R"({"exists":true})", "true"}, {R"({"exists":1})", nullptr}};
    checkSamples<AppleStatus>(exists, [](const AppleStatus& s) { return s.exists; });
    checkSamples<PasswordStatus>(exists, [](const PasswordStatus& s) { return s.exists; });
    const Sample delink[] = {
        {"{}", "[null,null]"}, {R"({"social_delink":true,"logout":false})", "[true,false]"},
        {R"({"social_delink":"yes"})", nullptr}, {R"({"logout":0})", nullptr},
    };
    checkSamples<SocialDelinkResponse>(delink, [](const SocialDelinkResponse& r) {
        return JsonArray{encodeValue(r.delinkStatus), encodeValue(r.logout)};
    });
}

TEST(AccountRecords, TextRepliesAreLenient) {
    const auto texts = [](const char* text) {
        const auto json = parse(text);
        const auto upload = S3ImageResponse::decode(json, {});
        const auto password = ChangePasswordResponse::decode(json, {});
        return JsonArray{encodeValue(upload.url), encodeValue(upload.signedRequest),
                         encodeValue(LoginAttribute::decode(json, {}).attribute),
                         encodeValue(MemberReferralResponse::decode(json, {}).data), encodeValue(password.message),
                         encodeValue(password.authKey), encodeValue(password.token), encodeValue(password.expiresIn),
                         encodeValue(password.status)};
    };
    EXPECT_EQ(texts(R"({"url":"u","signed_request":"s","attribute":"a","data":"d","message":"m","auth_key":"k",
                        "token":"t","expires_in":"60","status":"ok"})"),
              parse(R"(["u","s","a","d","m","k","t","60","ok"])"));
    EXPECT_EQ(texts(R"({"url":1,"signed_request":[],"attribute":true,"data":{},"message":1,"auth_key":null,
                        "token":false,"expires_in":60,"status":[]})"),
              parse("[null,null,null,null,null,null,null,null,null]"));
}

TEST(AccountRecords, Balances) {
    const Sample pending[] = {
        {"{}", "[null,null,0.0,0.0,0.0]"},
        {R"({"member_id":"m1","loyalty_account_id":"a1","total_points":10,"available_points":7.5,"pending_points":2.5})",
         R"(["m1","a1",10.0,7.5,2.5])"},
        {R"({"member_id":1,"loyalty_account_id":2,"total_points":null})", "[null,null,0.0,0.0,0.0]"},
        {R"({"pending_points":"2"})", nullptr}, {R"({"available_points":true})", nullptr},
    };
    checkSamples<PendingPointBalance>(pending, [](const PendingPointBalance& b) {
        return JsonArray{encodeValue(b.memberId), encodeValue(b.accountId), b.totalPoints, b.availablePoints,
                         b.pendingPoints};
    });
    const Sample loyalty[] = {
        {"{}", "[null,0.0,0.0,0.0,0.0]"}, {R"({"loyalty_account_id":3})", "[null,0.0,0.0,0.0,0.0]"},
        {R"({"loyalty_account_id":"a","redeemed":1,"rewarded":2.5,"new_balance":10,"old_balance":8.5})",
         R"(["a",1.0,2.5,10.0,8.5])"},
        {R"({"rewarded":"2"})", nullptr}, {R"({"old_balance":true})", nullptr},
        {R"({"new_balance":1e39})", nullptr},  // beyond the range of a Float
    };
    checkSamples<LoyaltyBalance>(loyalty, [](const LoyaltyBalance& b) {
        return JsonArray{encodeValue(b.id), b.redeemed, b.rewarded, b.balanceNew, b.balanceOld};
    });
}

TEST(AccountRecords, IntegerKeysTakeOnlyExactIntegers) {
    const Sample samples[] = {
        {"{}", "0"},           {R"({"id":null})", "0"},  {R"({"id":12})", "12"},     {R"({"id":12.0})", "12"},
        {R"({"id":1e1})", "10"}, {R"({"id":-4})", "-4"}, {R"({"id":12.5})", nullptr}, {R"({"id":"12"})", nullptr},
        {R"({"id":true})", nullptr}, {R"({"id":1e19})", nullptr}, {R"({"id":18446744073709551615})", nullptr},
    };
    checkSamples<BalanceTag>(samples, [](const BalanceTag& t) { return t.id; });
    checkSamples<FamilyInvite>(samples, [](const FamilyInvite& i) { return i.id; });
    checkSamples<CardDetails>(samples, [](const CardDetails& c) { return c.id; });
    const auto tag = BalanceTag::decode(parse(R"({"id":1,"name":"Gold","description":2})"), {});
    EXPECT_EQ(std::tie(tag.name, tag.description), std::make_tuple("Gold", std::nullopt));
}

TEST(AccountRecords, PaymentIdComesFromTheContext) {
    const auto json = parse(R"({"amount":25,"payment_method":"card"})");
    const auto decoder = Decoder::withFreshContext();
    EXPECT_EQ(Payment::decode(json, decoder).id, "");  // a context without a transfer id
    decoder.transferRef()->transferId = "981";
    EXPECT_EQ(Payment::decode(json, decoder).id, "9810");
    EXPECT_EQ(Payment::decode(json, Decoder{}).id, "");

    const Sample samples[] = {
        {"{}", "[0,null]"}, {R"({"amount":25,"payment_method":"card"})", R"([25,"card"])"},
        {R"({"amount":null,"payment_method":3})", "[0,null]"}, {R"({"amount":2.5})", nullptr},
        {R"({"amount":"25"})", nullptr},
    };
    checkSamples<Payment>(samples, [](const Payment& p) { return JsonArray{p.amount, encodeValue(p.method)}; });
}

TEST(AccountRecords, Family) {
    const Sample summaries[] = {{"{}", "[0,null]"}, {R"({"size":3,"head":"m1"})", R"([3,"m1"])"}, {R"({"size":"3"})", nullptr}};
    checkSamples<FamilySummary>(summaries, [](const FamilySummary& s) { return JsonArray{s.size, encodeValue(s.head)}; });

    const auto invite = FamilyInvite::decode(parse(R"({"id":5,"inviter":{"first_name":"Ada"},"invitee":"m2",
                                                       "created_ts":"2024-01-02","updated_ts":7})"), {});
    EXPECT_EQ(std::tie(invite.inviter->firstName, invite.createdTs), std::make_tuple("Ada", "2024-01-02"));
    EXPECT_FALSE(invite.invitee || invite.updatedTs);  // not an object, not a text: lenient
    for (const auto& [json, accepted] : {std::pair{R"({"status":"accepted"})", true}, {R"({"status":"rejected"})", false},
                                         {R"({"status":"Accepted"})", false}, {R"({"status":1})", false}, {"{}", false}})
        EXPECT_EQ(FamilyMemberInviteResponse::decode(parse(json), {}).accepted(), accepted) << json;
}

TEST(AccountRecords, ValidationReplyNeedsBothKeys) {
    const Sample tokens[] = {
        {R"({"success":true,"token":"t"})", R"([true,"t"])"}, {R"({"token":"t"})", nullptr},
        {R"({"success":true})", nullptr}, {R"({"success":true,"token":null})", nullptr},
        {R"({"success":1,"token":"t"})", nullptr}, {R"({"success":false,"token":5})", nullptr},
    };
    checkSamples<LumenoTokenResponse>(tokens, [](const LumenoTokenResponse& r) { return JsonArray{r.success, r.token}; });
}

TEST(MemberResponse, Samples) {
    const Sample samples[] = {
        {"{}", R"({"success":false})"},
        {R"({"member_data":{"id":"m1","first_name":"Ada"},"token":"t","expires_in":"3600","success":true})",
         R"({"member_data":{"id":"m1","first_name":"Ada","balances":[],"favorite_sponsors":[]},
             "token":"t","expires_in":"3600","success":true})"},
        {R"({"member_data":null,"token":5,"expires_in":3600,"success":null,"error":"boom"})", R"({"success":false})"},
        {R"({"member_data":"m1"})", nullptr},                            // a profile of the wrong type fails the reply
        {R"({"member_data":{"balances":[{"balance":"x"}]}})", nullptr},  // and so does a failing profile
        {R"({"success":"true"})", nullptr}, {R"({"success":1})", nullptr},
    };
    checkSamples<MemberResponse>(samples, test::encoded);

    const auto decoder = Decoder::withFreshContext();
    const auto reply = MemberResponse::decode(
        parse(R"({"error":{"message":"locked","code":"user_locked_out"},"member_data":{"id":9,"balances":[{}]}})"),
        decoder);
    EXPECT_EQ(reply.error->message, "locked");
    EXPECT_EQ(reply.member->balances.at(0).memberId, "9");
    EXPECT_EQ(MemberResponse::decode(reply.toJson(), {}).toJson(), reply.toJson());
}

TEST(CardDetails, NestedRecordsAreLenient) {
    const auto card = CardDetails::decode(parse(R"({"id":3,"number":"4111","name":"Main","member":"m1","status":"active",
                                                  "member_data":{"member_name":"Ada"},"error":{"message":"m"}})"), {});
    EXPECT_EQ(std::tie(card.number, card.name, card.member, card.status), std::make_tuple("4111", "Main", "m1", "active"));
    EXPECT_EQ(std::tie(card.memberData->memberName, card.error->message), std::make_tuple("Ada", "m"));
    const auto wrong = CardDetails::decode(
        parse(R"({"number":4111,"name":true,"member":1,"status":[],"member_data":"m1","error":[]})"), {});
    EXPECT_FALSE(wrong.number || wrong.name || wrong.member || wrong.status || wrong.memberData || wrong.error);

    const auto reply = CardRequestResponse::decode(parse(R"({"data":"cancelled","error":{"message":"m"}})"), {});
    EXPECT_EQ(std::tie(reply.data, reply.error->message), std::make_tuple("cancelled", "m"));
    const auto odd = CardRequestResponse::decode(parse(R"({"data":1,"error":"m"})"), {});
    EXPECT_FALSE(odd.data || odd.error);
}

TEST(AccountRecords, RequestBodies) {
    EXPECT_EQ(AppleLoginDetails("c0de", "Ada", "Byron", "ada@example.com").toJson(), parse(R"({"code":"c0de"})"));
    const CardAddRequest add{"4111", "Main", "m1"};
    EXPECT_EQ(JsonValue(wrap(add)), parse(R"({"number":"4111","name":"Main","member":"m1"})"));
    EXPECT_EQ(add.toJson(), JsonValue(wrap(add)));
    const CardCancelRequest cancel("lost", "left on a train");
    EXPECT_EQ(JsonValue(wrap(cancel)), parse(R"({"reason":"lost","comment":"left on a train"})"));
    EXPECT_EQ(cancel.toJson(), JsonValue(wrap(cancel)));
}

TEST(AccountRecords, NonObjectsAreRejected) {
    test::expectNonObjectsRejected<MemberStatus, AppleStatus, PasswordStatus, SocialDelinkResponse, LoginAttribute,
                                   S3ImageResponse, MemberReferralResponse, PendingPointBalance, LoyaltyBalance,
                                   BalanceTag, Payment, FamilySummary, FamilyInvite, FamilyMemberInviteResponse,
                                   LumenoTokenResponse, ChangePasswordResponse, MemberResponse, CardDetails,
                                   CardRequestResponse>();
}
