#include <gtest/gtest.h>

#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>

#include <boost/json.hpp>
#include <functional>
#include <limits>

#include "lumeno/core/lumeno.hpp"
#include "lumeno/models/activity/accrual_detail.hpp"
#include "lumeno/models/activity/bit_header.hpp"
#include "lumeno/models/activity/bit_response.hpp"
#include "lumeno/models/activity/lumeno_bit.hpp"
#include "lumeno/models/activity/offer_action.hpp"
#include "lumeno/models/activity/receipts.hpp"
#include "models/activity/accrual_detail_keys.hpp"
#include "models/activity/bit_header_keys.hpp"
#include "models/activity/bit_response_keys.hpp"
#include "models/activity/lumeno_bit_keys.hpp"
#include "models/activity/offer_action_keys.hpp"
#include "models/activity/receipts_keys.hpp"
#include "models/activity/transfer_transaction_keys.hpp"
#include "support/model_samples.hpp"

using namespace lumeno;
using namespace std::chrono;
using boost::json::parse;
using json::encodeValue;
using test::encoded;
using test::View;

namespace {

using namespace detail;

// 2023-05-01T10:20:30Z in milliseconds.
constexpr std::int64_t kMay1 = 1682936430000;

std::int64_t millis(Date date) { return duration_cast<milliseconds>(date.time_since_epoch()).count(); }

constexpr const char* fullAction = R"({"offer_desktop_image":"d","subject_type":"s","reward_tags":["r"],
    "offer_mobile_image":"m","type":"t","subject":"sub","rule_id":"r1","privilege_quantity":3,"offer_name":"n",
    "subject_name":"sn","operator":"gt","value_n":2.5,"attribute_type":"a","privilege_codes":["c1","c2"],
    "value_s":"v","offer_id":"9","transfer_action":"send","primary_member_id":"p","third_party_member_id":"q",
    "sender_data":{"first_name":"Ada"},"receiver_data":{"last_name":"Byron","profile_image":"i","member_id":"m2"},
    "pending_days":1.5,"pending_uuid":"u"})";
constexpr const char* emptyAction =
    R"({"reward_tags":[],"subject":null,"privilege_quantity":0,"value_n":0.0,"privilege_codes":[],"offer_id":null,
        "pending_days":0.0})";

constexpr View action = encoded<OfferAction>;
constexpr View profile = encoded<TransferProfile>;
constexpr View bitRow = test::row<lumenoBitKeys>;
constexpr View receipt = encoded<ReceiptResponse>;
constexpr View upload = encoded<UploadReceiptRequest>;
constexpr View transfer = encoded<TransferTransaction>;
constexpr View reply = test::row<bitResponseKeys>;
constexpr const char* emptyReply = "[null,null,[],[],[],[],null,null,null,null,null,null,null]";

// The fields of an activity record that its key row does not show.
JsonValue bit(const JsonValue& json, const Decoder& decoder) {
    const auto b = LumenoBit::decode(json, decoder);
    return JsonObject{{"id", b.id},
                      {"date", millis(b.date)},
                      {"actions", b.offerActionsString ? parse(*b.offerActionsString) : nullptr},
                      {"count", b.offerActionsCount},
                      {"header", b.header.has_value()},
                      {"payments", b.paymentDetails.size()},
                      {"lines", b.lines.size()}};
}

JsonValue header(const JsonValue& json, const Decoder& decoder) {
    const auto h = BitHeader::decode(json, decoder);
    return JsonArray{h.id, h.originalBitAmount, h.offerId, h.amount, encodeValue(h.date)};
}

JsonValue accrual(const JsonValue& json, const Decoder& decoder) {
    const auto a = AccrualDetail::decode(json, decoder);
    JsonArray redemptions;
    for (const auto& r : a.redemptions)
        redemptions.push_back(JsonArray{r.id, r.pointsRedeemed, millis(r.redemptionDate), encodeValue(r.redemptionDateString)});
    return JsonArray{a.id,
                     encodeValue(a.accrualDateString),
                     millis(a.accrualDate),
                     millis(a.expirationDate),
                     millis(a.pointsResetDate),
                     a.actualPoints,
                     encodeValue(a.rewardTags),
                     redemptions};
}

/// Restores the process's default locale when it goes.
class DefaultLocale {
public:
    explicit DefaultLocale(const char* name) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(name), status);
    }
    ~DefaultLocale() {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(saved_, status);
    }
    DefaultLocale(const DefaultLocale&) = delete;
    DefaultLocale& operator=(const DefaultLocale&) = delete;

private:
    icu::Locale saved_ = icu::Locale::getDefault();
};

}  // namespace

TEST(ActivityRecords, Samples) {
    const test::Sample samples[] = {
        // Offer actions: seven keys always written, "subject" and "offer_id" as null; lenient
        // texts and profiles, strict lists and numbers.
        {action, "{}", emptyAction}, {action, fullAction, fullAction},
        {action, R"({"subject":42,"offer_id":null,"sender_data":"x","receiver_data":[]})", emptyAction},
        {action, R"({"reward_tags":"r"})", nullptr}, {action, R"({"privilege_codes":["a",1]})", nullptr},
        {action, R"({"privilege_quantity":"3"})", nullptr}, {action, R"({"privilege_quantity":2.5})", nullptr},
        {action, R"({"value_n":"1"})", nullptr}, {action, R"({"pending_days":true})", nullptr},
        {profile, "{}", "{}"}, {profile, R"({"first_name":"A","member_id":7})", R"({"first_name":"A"})"},
        // Activity records: lenient everywhere; the offer actions kept as their encoder's text.
        {bit, "{}", R"({"id":0,"date":1000,"actions":[],"count":0,"header":false,"payments":0,"lines":0})"},
        {bit, R"({"id":"15","offer_actions":[{"privilege_quantity":"3"}],"header":"h","lines":{}})",
         R"({"id":0,"date":1000,"actions":[],"count":0,"header":false,"payments":0,"lines":0})"},
        {bit, R"({"id":7,"h_bit_date":"2023-05-01T10:20:30+0000","offer_actions":[{}],"header":{},"lines":[{},{}],
                  "payment_details":[{"amount":5},{"amount":6}]})",
         R"({"id":7,"date":1682936430000,"actions":[{"reward_tags":[],"subject":null,"privilege_quantity":0,
             "value_n":0.0,"privilege_codes":[],"offer_id":null,"pending_days":0.0}],"count":1,"header":true,
             "payments":2,"lines":2})"},
        {bit, R"({"h_bit_date":"2023-05-01T10:20:30.123456+0000","payment_details":[{"amount":"5"}]})",
         R"({"id":0,"date":1682936430123,"actions":[],"count":0,"header":false,"payments":0,"lines":0})"},
        {bit, R"({"h_bit_date":"2023-05-01T15:50:30+0530"})",
         R"({"id":0,"date":1682936430000,"actions":[],"count":0,"header":false,"payments":0,"lines":0})"},
        {bit, R"({"h_bit_date":"2023-05-01"})",
         R"({"id":0,"date":1000,"actions":[],"count":0,"header":false,"payments":0,"lines":0})"},
        {bitRow, R"({"id":3,"h_bit_date":"d","member_id":"m","bit_reference":"r","h_location_name":"ln","header":{},
                     "h_location":"l","h_program_id":4,"h_sponsor_id":5,"offer_id":"o","h_bit_category":"c",
                     "status":"s","processed_date":"p","payment_details":[{}],"loyalty_balances":[{}],"lines":[{}],
                     "errors":"e","country":"co","region":"re","city":"ci","area":"ar","points_rewarded":true,
                     "points_redeemed":true,"points_reset":true,"sponsor_name":"sn","sponsor_logo":"sl",
                     "sponsor_short_name":"ss","is_cancelled":true})",
         R"([3,"d","m","r","ln",true,"l",4,5,"o","c","s","p",[true],[true],[true],"e","co","re","ci","ar",true,true,
             true,"sn","sl","ss",true])"},
        {bitRow, R"({"is_cancelled":"true","loyalty_balances":[{"redeemed":"1"}],"h_program_id":1.5})",
         R"([0,null,null,null,null,null,null,0,0,null,null,null,null,[],[],[],null,null,null,null,null,false,false,
             false,null,null,null,false])"},
        // Headers: lenient; the original amount rounded or read from text (more in its own test).
        {header, "{}", "[0,0,0,0.0,null]"},
        {header, R"({"h_bit_date":"d","offer_id":"12","h_bit_amount":10.25,"h_original_bit_amount":"125"})",
         R"([0,125,0,10.25,"d"])"},
        {header, R"({"offer_id":12,"h_bit_amount":"10","h_original_bit_amount":12.5})", "[0,13,12,0.0,null]"},
        // Accruals and redemptions: lenient, integers only integral, dates with their fallback.
        {accrual, "{}", "[0,null,1000,1000,1000,0.0,[],[]]"},
        {accrual, R"({"id":"17","accrual_date":"2023-05-01T10:20:30+0000","expiration_date":"2023-05-01T10:20:30.5+0000",
                      "points_reset_date":"2023-05-01T10:20:30.123456+0000","actual_points":12.5,"reward_tags":["a",1],
                      "redemptions":[{"id":2,"points_redeemed":12.5,"redemption_date":"2023-05-01"}]})",
         R"([0,"2023-05-01T10:20:30+0000",1682936430000,1682936430500,1682936430123,12.5,[],[[2,0,1000,"2023-05-01"]]])"},
        {accrual, R"({"redemptions":[{},"x"],"reward_tags":["a"]})", R"([0,null,1000,1000,1000,0.0,["a"],[]])"},
        // Receipts: lenient, left out when absent; the upload body writes only what it has.
        {receipt, "{}", "{}"},
        {receipt, R"({"id":42,"sponsor":"12","transaction_amount":"9","receipt_image_urls":["a",1],"version_counter":3})",
         "{}"},
        {receipt, R"({"id":"42","sponsor":12,"transaction_amount":9.5,"receipt_image_urls":["a"],"status":"ok"})",
         R"({"id":"42","transaction_amount":9.5,"sponsor":12,"receipt_image_urls":["a"],"status":"ok"})"},
        {upload, R"({"sponsor":12,"member":"m"})", R"({"sponsor":12,"member":"m"})"},
        {upload, R"({"member":"m","sponsor":1,"receipt_image_urls":[],"transaction_amount":2.5,"currency":"EUR"})",
         R"({"sponsor":1,"currency":"EUR","transaction_amount":2.5,"receipt_image_urls":[],"member":"m"})"},
        {upload, R"({"member":"m"})", nullptr}, {upload, R"({"sponsor":1,"member":null})", nullptr},
        {upload, R"({"sponsor":1,"member":"m","currency":3})", nullptr},
        // The transfer body: every key required, every key written, the amount as it is.
        {transfer, R"({"activity_referrer":"","h_bit_category":"ACCRUAL","h_bit_date":"d","h_bit_type":"T",
                       "h_member_id":"","h_program_id":7,"h_sponsor_id":1,"transfer_amount":2.5})",
         R"({"activity_referrer":"","h_bit_category":"ACCRUAL","h_bit_date":"d","h_bit_type":"T","h_member_id":"",
             "h_program_id":7,"h_sponsor_id":1,"transfer_amount":2.5})"},
        {transfer, R"({"activity_referrer":"a","h_bit_category":"c","h_bit_date":"d","h_bit_type":"t",
                       "h_member_id":"m","h_program_id":"7","h_sponsor_id":1,"transfer_amount":0})", nullptr},
        // Activity replies: strict lists fail the whole reply, everything else is lenient.
        {reply, "{}", emptyReply},
        {reply, R"({"offer_actions":null,"original_bit":[],"member":"m","points_rewarded":"true","bitId":42,
                    "mtomap":null,"status":1})", emptyReply},
        {reply, R"({"original_bit":{},"member":{"id":"m1"},"offer_actions":[{}],"assigned_privileges":[{}],
                    "availed_privileges":[{},{}],"loyalty_accounts":[{}],"mtomap":[1,{"a":null}],
                    "processingDate":"p","bitId":"42","points_rewarded":false,"points_redeemed":true,"status":"done",
                    "member_id":"m1"})",
         R"([true,{"id":"m1","balances":[],"favorite_sponsors":[]},[{"reward_tags":[],"subject":null,
             "privilege_quantity":0,"value_n":0.0,"privilege_codes":[],"offer_id":null,"pending_days":0.0}],[true],
             [true,true],[true],[1,{"a":null}],"p","42",false,true,"done","m1"])"},
        {reply, R"({"mtomap":3.5})", "[null,null,[],[],[],[],3.5,null,null,null,null,null,null]"},
        {reply, R"({"offer_actions":"x"})", nullptr},
        {reply, R"({"original_bit":{"id":1},"member":{"id":"m"},"assigned_privileges":[{"value":"x"}]})", nullptr},
        {reply, R"({"availed_privileges":{}})", nullptr},
        {reply, R"({"loyalty_accounts":[{"redeemed":"1"}]})", nullptr},
    };
    test::checkSamples(samples);
    test::checkSamples(samples, Decoder::withFreshContext());
}

TEST(ActivityRecords, EveryKeyFollowsItsRule) {
    for (const auto& decoder : {Decoder{}, Decoder::withFreshContext()}) {
        test::checkRules(offerActionKeys, decoder), test::checkRules(transferProfileKeys, decoder);
        test::checkRules(lumenoBitKeys, decoder), test::checkRules(bitHeaderKeys, decoder);
        test::checkRules(accrualDetailKeys, decoder), test::checkRules(redemptionDetailKeys, decoder);
        test::checkRules(receiptResponseKeys, decoder), test::checkRules(uploadReceiptRequestKeys, decoder);
        test::checkRules(transferTransactionKeys, decoder), test::checkRules(bitResponseKeys, decoder);
    }
}

TEST(ActivityRecords, IdsComeFromTheDecodingContext) {
    const auto decoder = Decoder::withFreshContext();
    decoder.transferRef()->prefixExtraData = "md";  // left by a member decoded earlier in the reply
    const auto record = LumenoBit::decode(
        parse(R"({"id":7,"header":{"a":1},"lines":[{"b":2}],"payment_details":[{"amount":1}]})"), decoder);
    EXPECT_EQ(record.header->customAttributes.at(0).id, "md7a");
    EXPECT_EQ(record.lines.at(0).id, "md7");
    EXPECT_EQ(record.paymentDetails.at(0).id, "70");
    EXPECT_EQ(decoder.transferRef()->transferId, "7");
    EXPECT_EQ(LumenoBit::decode(parse(R"({"id":"15"})"), decoder).id, 0);
    EXPECT_EQ(decoder.transferRef()->transferId, "0");

    // In a reply the record is read before the member, whatever the order of the text.
    const auto answer = BitResponse::decode(parse(R"({"member":{"id":"m9","balances":[{}]},
        "original_bit":{"id":7,"header":{},"payment_details":[{}]}})"), Decoder::withFreshContext());
    EXPECT_EQ(answer.originalBit->header->id, "7");
    EXPECT_EQ(answer.originalBit->paymentDetails.at(0).id, "70");
    EXPECT_EQ(answer.member->balances.at(0).memberId, "m9");


    // A header reads the record's id from the context and never writes it.
    const std::pair<std::optional<std::string>, std::int64_t> ids[] = {
        {"512", 512}, {"+12", 12}, {"-3", -3}, {"5a", 0}, {"", 0}, {"+", 0}, {"+-1", 0}, {" 1", 0},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()}, {"9223372036854775808", 0}, {std::nullopt, 0},
    };
    for (const auto& [id, expected] : ids) {
        decoder.transferRef()->transferId = id;
        EXPECT_EQ(BitHeader::decode(parse("{}"), decoder).id, expected) << id.value_or("(none)");
        EXPECT_EQ(decoder.transferRef()->transferId, id);
    }
}

TEST(ActivityRecords, OriginalAmountRoundsHalvesAwayFromZeroWithinRange) {
    const std::pair<const char*, std::int64_t> cases[] = {
        {"12.5", 13}, {"-2.5", -3}, {"0.5", 1}, {"-0.5", -1}, {"2.4999", 2}, {"7", 7}, {"7.0", 7},
        {"9007199254740993", 9007199254740993}, {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()}, {"9223372036854775808", 0},
        {"9.3e18", 0}, {"-9.3e18", 0}, {"1e999", 0}, {R"("125")", 125}, {R"("+125")", 125}, {R"("12.5")", 0},
        {R"("")", 0}, {"true", 0}, {"null", 0}, {"[1]", 0},
    };
    for (const auto& [value, expected] : cases) {
        const auto json = parse(std::string(R"({"h_original_bit_amount":)") + value + "}");
        EXPECT_EQ(BitHeader::decode(json, {}).originalBitAmount, expected) << value;
    }
}

TEST(ActivityRecords, OfferActionsRoundTripThroughTheirText) {
    JsonArray five;
    for (int i = 0; i < 5; ++i) five.push_back(parse(fullAction));
    auto record = LumenoBit::decode(JsonObject{{"offer_actions", five}}, {});
    EXPECT_EQ(record.offerActionsCount, 5);
    EXPECT_EQ(parse(*record.offerActionsString), JsonValue(five));
    ASSERT_EQ(record.offerActions().size(), 5U);
    EXPECT_EQ(record.offerActions()[4].toJson(), parse(fullAction));

    // Writing two actions replaces the text and keeps the count of the decode.
    auto actions = record.offerActions();
    actions.resize(2);
    actions[1].subject.reset();
    ASSERT_TRUE(record.setOfferActions(actions));
    EXPECT_EQ(record.offerActions().size(), 2U);
    EXPECT_EQ(record.offerActions()[1].toJson().at("subject"), nullptr);
    EXPECT_EQ(record.offerActionsCount, 5);

    // A list that cannot be written is refused and the text stays.
    const std::string kept = *record.offerActionsString;
    actions[0].valueN = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(record.setOfferActions(actions));
    EXPECT_EQ(record.offerActionsString, kept);

    for (const char* text : {"{}", "[1]", "not json", R"([{"reward_tags":"x"}])"}) {
        record.offerActionsString = text;
        EXPECT_TRUE(record.offerActions().empty()) << text;
    }
    record.offerActionsString.reset();
    EXPECT_TRUE(record.offerActions().empty());
}

TEST(ActivityRecords, ValuesJsonCannotCarryFailTheEncoding) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto withAction = [](auto change) {
        OfferAction a;
        change(a);
        return a;
    };
    const auto body = [](double amount, std::string member, std::vector<std::string> urls) {
        return UploadReceiptRequest(std::nullopt, 1, std::nullopt, std::nullopt, std::nullopt, amount, std::move(urls),
                                    std::nullopt, std::move(member));
    };
    const std::function<JsonValue()> refused[] = {
        [&] { return withAction([&](auto& a) { a.valueN = nan; }).toJson(); },
        [&] { return withAction([&](auto& a) { a.pendingDays = -inf; }).toJson(); },
        [&] { return withAction([](auto& a) { a.subject = "\xff"; }).toJson(); },
        [&] { return withAction([](auto& a) { a.privilegeCodes = {"ok", "\xed\xa0\x80"}; }).toJson(); },
        [&] { return withAction([](auto& a) { a.senderData.emplace().firstName = "\xc3"; }).toJson(); },
        [&] { return TransferTransaction{"a", "c", "d", "t", "m", 1, 1, inf}.toJson(); },
        [&] { return TransferTransaction{"\xc0\xaf", "c", "d", "t", "m", 1, 1, 1}.toJson(); },
        [&] { return body(nan, "m", {}).toJson(); },
        [&] { return body(1, "m", {"\xff"}).toJson(); },
        [&] {
            ReceiptResponse r;
            r.transactionAmount = inf;
            return r.toJson();
        },
        [&] {
            ReceiptResponse r;
            r.status = "a\x80";
            return r.toJson();
        },
    };
    for (std::size_t i = 0; i < std::size(refused); ++i) EXPECT_THROW(refused[i](), EncodingError) << i;
    EXPECT_THROW(json::writable(JsonObject{{"\xff", 1}}), EncodingError);
    // Any valid text goes out unchanged, NUL bytes and characters beyond the BMP included.
    const std::string text("\xc3\xa9\0\xf0\x9f\x98\x80", 7);
    EXPECT_EQ(body(2.5, text, {text}).toJson().at("member"), JsonValue(text));
}

TEST(ActivityRecords, DatesIgnoreTheDefaultLocale) {
    const auto instant = sys_days(2024y / 1 / 2) + 10h;
    for (const char* locale : {"th_TH", "ar_EG"}) {
        const DefaultLocale foreign(locale);
        // The default locale would write another year (Buddhist calendar) or other digits.
        UErrorCode status = U_ZERO_ERROR;
        icu::SimpleDateFormat byDefault(icu::UnicodeString("yyyy"), status);
        icu::UnicodeString year;
        byDefault.format(static_cast<UDate>(millis(instant)), year);
        EXPECT_NE(year, icu::UnicodeString("2024")) << locale;

        const auto transferBody = TransferTransaction::pointTransfer("s", "r", 10, instant);
        EXPECT_EQ(transferBody.date, "2024-01-02T10:00:00+0000") << locale;
        EXPECT_EQ(transferBody.toJson(), parse(R"({"activity_referrer":"s","h_bit_category":"ACCRUAL",
            "h_bit_date":"2024-01-02T10:00:00+0000","h_bit_type":"POINTS_TRANSFER","h_member_id":"r",
            "h_program_id":0,"h_sponsor_id":1,"transfer_amount":10.0})"));
        for (const char* text : {"2023-05-01T10:20:30+0000", "2023-05-01T11:20:30.000000+0100"}) {
            EXPECT_EQ(millis(LumenoBit::decode(JsonObject{{"h_bit_date", text}}, {}).date), kMay1) << locale << text;
            EXPECT_EQ(millis(AccrualDetail::decode(JsonObject{{"accrual_date", text}}, {}).accrualDate), kMay1);
            EXPECT_EQ(millis(RedemptionDetail::decode(JsonObject{{"redemption_date", text}}, {}).redemptionDate), kMay1);
        }
    }
    // The programme's zone is read at each use.
    const auto zone = [](std::optional<std::string> abbreviation) {
        Lumeno::shared().updateSettings([&](LumenoSettings& settings) { settings.programTimeZone = abbreviation; });
    };
    zone("IST");
    EXPECT_EQ(TransferTransaction::pointTransfer("s", "r", 1, instant).date, "2024-01-02T15:30:00+0530");
    zone(std::nullopt);
    EXPECT_EQ(TransferTransaction::pointTransfer("s", "r", 1, instant).date, "2024-01-02T10:00:00+0000");
}
