#include <gtest/gtest.h>

#include <boost/json.hpp>

#include <functional>
#include <limits>

#include "api/calls/activity.hpp"
#include "support/call_table.hpp"

using namespace lumeno;
using namespace std::chrono;
using boost::json::parse;
using test::Reply;
using Kind = LumenoError::Kind;
using test::Query;

namespace {

using ActivityCallsTest = test::CallTableTest;
using test::Call;
using BitPage = PaginatedResponse<std::vector<LumenoBit>>;
using Receipts = std::vector<ReceiptResponse>;
using Configs = std::vector<SponsorConfigResponse>;
using L = LumenoRequest;

/// 2024-01-15T23:30:00.789Z: late enough in the day that a zone east of UTC is on the next day.
const Date kInstant = sys_days(2024y / January / 15) + 23h + 30min + 789ms;

/// A completion of any result type that hands on only success or the error.
template <class T>
Completion<T> outcomeOnly(Completion<void> done) {
    return [done = std::move(done)](Result<T> r) mutable { done(r ? Result<void>() : fail(std::move(r.error()))); };
}

/// A receipt of sponsor 12 for member M1 with only an amount and image addresses.
UploadReceiptRequest receiptBody(std::optional<double> amount, std::optional<std::vector<std::string>> images) {
    return UploadReceiptRequest(std::nullopt, 12, std::nullopt, std::nullopt, std::nullopt, amount, std::move(images),
                                std::nullopt, "M1");
}

/// The query of the plain activity-list case for member M1, plus `extra`.
Query listQuery(std::initializer_list<Query::value_type> extra = {}) {
    Query query{{"member_id", "M1"}, {"page_size", "10"}, {"ordering", "-created_ts"}, {"bit_category", "ACCRUAL"},
                {"h_bit_type", "PURCHASE"}};
    query.insert(extra);
    return query;
}

Handle bitsWithDates(std::optional<std::string> from, std::optional<std::string> to, Completion<BitPage> done) {
    return L::getBITs("t", "M1", "ACCRUAL", "PURCHASE", 10, std::move(from), std::move(to), std::move(done));
}

TEST_F(ActivityCallsTest, EveryCallSendsItsCase) {
    Lumeno::shared().updateSettings([](LumenoSettings& settings) { settings.programID = 7; });
    const std::string cursor = server.url("/api/bits/?member_id=M1&page=2");
    const UploadReceiptRequest receipt("R-9", 12, "home", "LDN-017", "2024-01-15", 7.4,
                                       std::vector<std::string>{"https://cdn.example.com/r.jpg"}, "GBP", "M1");
    const JsonValue purchase = JsonObject{{"h_bit_type", "PURCHASE"}, {"h_bit_amount", 12.5}};
    checkEachCall({
        {"getBITs with dates",
         [](auto& t, auto d) { return L::getBITs(t, "M1", "ACCRUAL", "PURCHASE", 10, "2024-01-01", "2024-02-01", d); },
         "GET", "/api/bits/", listQuery({{"date_from", "2024-01-01"}, {"date_to", "2024-02-01"}})},
        {"getBITs with parameters",
         [](auto& t, auto d) {
             return L::getBITs(t, "M1", {{"member_id", "x"}, {"page_size", 3}, {"status", "SUCCESS"}}, 20, d);
         },
         "GET", "/api/bits/", {{"member_id", "M1"}, {"page_size", "20"}, {"status", "SUCCESS"}}, nullptr,
         Reply::json(R"([{"id":1}])")},
        {"getBITsFromCursor", [&](auto& t, auto d) { return L::getBITsFromCursor(t, cursor, d); }, "GET", "/api/bits/",
         {{"member_id", "M1"}, {"page", "2"}}},
        {"getAccrualDetailsFromBitID", [](auto& t, auto d) { return L::getAccrualDetailsFromBitID(t, 4060, 10, d); },
         "GET", "/api/bits/4060/accruals/", {{"page_size", "10"}}, nullptr, Reply::json(R"([{"id":9}])")},
        {"performTransaction", [&](auto& t, auto d) { return L::performTransaction(t, purchase, d); }, "POST",
         "/api/bit/", {}, R"({"h_bit_type":"PURCHASE","h_bit_amount":12.5})", Reply::json("{}", 201)},
        {"performPointTransfer",
         [](auto& t, auto d) { return detail::performPointTransfer(t, "M1", "M2", 2.5, kInstant, d); }, "POST",
         "/api/bit/", {},
         R"({"activity_referrer":"M1","h_bit_category":"ACCRUAL","h_bit_date":"2024-01-15T23:30:00+0000",
             "h_bit_type":"POINTS_TRANSFER","h_member_id":"M2","h_program_id":7,"h_sponsor_id":1,
             "transfer_amount":2.5})",
         Reply::json(R"({"bitId":"4061","status":"SUCCESS"})")},
        {"uploadReciept", [&](auto& t, auto d) { return L::uploadReciept(t, receipt, d); }, "POST",
         "/api/receipts/", {},
         R"({"receipt_number":"R-9","sponsor":12,"currency":"GBP","destination":"home","location":"LDN-017",
             "transaction_date":"2024-01-15","transaction_amount":7.4,
             "receipt_image_urls":["https://cdn.example.com/r.jpg"],"member":"M1"})",
         Reply::json(R"({"id":"RC-1","status":"PENDING"})", 201)},
        {"uploadReciept leaving out absent keys",
         [](auto& t, auto d) {
             return L::uploadReciept(t, receiptBody(std::nullopt, std::vector<std::string>{}), d);
         },
         "POST", "/api/receipts/", {}, R"({"sponsor":12,"receipt_image_urls":[],"member":"M1"})",
         Reply::json(R"({"id":"RC-2"})", 201)},
        {"getReceipts", [](auto& t, auto d) { return L::getReceipts({{"status", "APPROVED"}}, t, d); }, "GET",
         "/api/receipts/", {{"status", "APPROVED"}}, nullptr, Reply::json(R"([{"id":"RC-1"}])")},
        {"getSponsorConfigs", [](auto& t, auto d) { return L::getSponsorConfigs(t, {{"sponsor", 3}}, d); }, "GET",
         "/api/receipts/config/", {{"sponsor", "3"}}, nullptr, Reply::json(R"([{"id":1,"sponsor":3}])")},
    });
    Lumeno::shared().updateSettings([](LumenoSettings& settings) { settings.programID = 0; });
}

TEST_F(ActivityCallsTest, DatesAreSentOnlyWhenBothAreGiven) {
    server.on("GET", "/api/bits/", Reply::json("[]"));
    const struct {
        std::optional<std::string> from, to;
        Query query;
    } cases[] = {
        {"2024-01-01", "2024-01-31T23:59:59+0000",
         listQuery({{"date_from", "2024-01-01"}, {"date_to", "2024-01-31T23:59:59+0000"}})},
        {"", "", listQuery({{"date_from", ""}, {"date_to", ""}})},  // texts go as given
        {"2024-01-01", std::nullopt, listQuery()},
        {std::nullopt, "2024-01-31", listQuery()},
        {std::nullopt, std::nullopt, listQuery()},
    };
    for (const auto& c : cases) {
        Call<BitPage> call([&](auto d) { return bitsWithDates(c.from, c.to, d); });
        EXPECT_EQ(test::parsedQuery(sent().query), c.query) << c.from.value_or("-") << " " << c.to.value_or("-");
    }
}

TEST_F(ActivityCallsTest, TransferIsDatedInTheProgrammesZone) {
    server.on("POST", "/api/bit/", Reply::json("{}"));
    const auto zone = [](std::optional<std::string> abbreviation) {
        Lumeno::shared().updateSettings([&](LumenoSettings& settings) { settings.programTimeZone = abbreviation; });
    };
    const std::pair<std::optional<std::string>, const char*> cases[] = {
        {std::nullopt, "2024-01-15T23:30:00+0000"},
        {"UTC", "2024-01-15T23:30:00+0000"},
        {"JST", "2024-01-16T08:30:00+0900"},
        {"EST", "2024-01-15T18:30:00-0500"},
    };
    for (const auto& [abbreviation, date] : cases) {
        zone(abbreviation);
        Call<BitResponse> call([](auto d) { return detail::performPointTransfer("t", "M1", "M2", 100, kInstant, d); });
        const JsonValue body = parse(sent().body);
        EXPECT_EQ(body.at("h_bit_date"), JsonValue(date)) << abbreviation.value_or("unset");
        EXPECT_EQ(body.at("transfer_amount"), JsonValue(100.0));
    }
    zone(std::nullopt);

    // The public call stamps the current instant, to the second.
    const auto before = floor<seconds>(system_clock::now());
    Call<BitResponse> call([](auto d) { return L::performPointTransfer("t", "M1", "M2", 100, d); });
    const auto after = system_clock::now();
    const JsonValue body = parse(sent().body);
    const auto stamped = DateUtils::shared()->dateFormats().front().date(body.at("h_bit_date").as_string());
    ASSERT_TRUE(stamped);
    EXPECT_GE(*stamped, before);
    EXPECT_LE(*stamped, after);
}

TEST_F(ActivityCallsTest, BodiesJsonCannotCarryAreRefusedAndNothingIsSent) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    using Start = std::function<Handle(Completion<void>)>;
    const auto transfer = [](double amount) -> Start {
        return [amount](Completion<void> d) {
            return L::performPointTransfer("t", "M1", "M2", amount, outcomeOnly<BitResponse>(std::move(d)));
        };
    };
    const auto transaction = [](JsonValue body) -> Start {
        return [body](Completion<void> d) {
            return L::performTransaction("t", body, outcomeOnly<BitResponse>(std::move(d)));
        };
    };
    const auto upload = [](UploadReceiptRequest body) -> Start {
        return [body](Completion<void> d) {
            return L::uploadReciept("t", body, outcomeOnly<ReceiptResponse>(std::move(d)));
        };
    };
    // The other calls with a body of the host's make the same check.
    const JsonValue broken = JsonObject{{"first_name", "caf\xe9"}, {"score", nan}};
    const Start others[] = {
        [&](Completion<void> d) {
            return L::enrollMember(broken, EnrollmentType::normal, std::nullopt, std::nullopt,
                                   outcomeOnly<MemberRegistrationStatus>(std::move(d)));
        },
        [&](Completion<void> d) {
            return L::enrollMemberV1(broken, EnrollmentType::normal, std::nullopt, std::nullopt,
                                     outcomeOnly<MemberRegistrationStatusV1>(std::move(d)));
        },
        [&](Completion<void> d) { return L::patchMember("t", "M1", broken, outcomeOnly<MemberDetails>(std::move(d))); },
        [&](Completion<void> d) { return L::memberReferral("t", broken, outcomeOnly<MemberReferralResponse>(std::move(d))); },
    };
    const Start refused[] = {
        others[0], others[1], others[2], others[3],
        transfer(nan),
        transfer(inf),
        transfer(-inf),
        transaction(JsonObject{{"lines", JsonArray{JsonObject{{"amount", nan}}}}}),
        transaction(JsonObject{{"h_comment", "caf\xe9"}}),  // Latin-1, not UTF-8
        transaction(JsonObject{{"\xff", 1}}),
        upload(receiptBody(inf, std::nullopt)),
        upload(receiptBody(1, std::vector<std::string>{"\xed\xa0\x80"})),  // an encoded surrogate
    };
    server.otherwise(Reply::json("{}"));
    for (std::size_t i = 0; i < std::size(refused); ++i) {
        SCOPED_TRACE(i);
        int completions = 0;
        std::optional<Result<void>> result;
        const Handle handle = refused[i]([&](Result<void> r) {
            ++completions;
            result = std::move(r);
        });
        EXPECT_FALSE(result.has_value());  // delivered on the main queue, not inside the call
        ASSERT_TRUE(test::waitFor([&] { return result.has_value(); }));
        test::settle();
        EXPECT_EQ(completions, 1);
        EXPECT_EQ(result->error().kind(), Kind::encodableMapping);
        ASSERT_NE(handle, nullptr);
        handle->cancel();  // already finished: no second completion
        test::settle();
        EXPECT_EQ(completions, 1);
    }
    EXPECT_EQ(server.requestCount(), 0u);

    // The token rule comes first: without a token the call fails with `invalidToken`, at once.
    std::optional<Result<BitResponse>> missing;
    EXPECT_EQ(L::performPointTransfer(std::nullopt, "M1", "M2", nan, [&](auto r) { missing = std::move(r); }), nullptr);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->error().kind(), Kind::invalidToken);
}

TEST_F(ActivityCallsTest, ListsArePlainAndPagesCarryTheirCursors) {
    const HttpHeaders cursors{{"prev", "https://127.0.0.2/bits/?page=1"}, {"next", "https://127.0.0.2/bits/?page=3"}};
    server.on("GET", "/api/bits/", Reply(200, R"([{"id":41},{"id":42}])", cursors));
    server.on("GET", "/api/receipts/", Reply(200, R"([{"id":"RC-1"},{"id":7}])", cursors));
    server.on("GET", "/api/receipts/config/", Reply::json(R"([{"id":1,"scannable_receipts":"yes"}])"));

    const Call<BitPage> bits([](auto d) { return L::getBITs("t", "M1", JsonObject{}, 2, d); });
    EXPECT_EQ(bits.value().previousCursor, "https://127.0.0.2/bits/?page=1");
    EXPECT_EQ(bits.value().nextCursor, "https://127.0.0.2/bits/?page=3");
    ASSERT_EQ(bits.value().content.size(), 2u);
    EXPECT_EQ(bits.value().content[1].id, 42);

    const Call<Receipts> receipts([](auto d) { return L::getReceipts({}, "t", d); });
    ASSERT_EQ(receipts.value().size(), 2u);
    EXPECT_EQ(receipts.value()[1].id, std::nullopt);  // a number is no receipt id
    EXPECT_EQ(sent().query, "");

    const Call<Configs> configs([](auto d) { return L::getSponsorConfigs("t", {}, d); });
    EXPECT_EQ(configs.value().at(0).scannableReceipts, std::nullopt);
    EXPECT_EQ(sent().query, "");

    // One element that is no object fails the whole page, and a list reply that is an object fails too.
    server.on("GET", "/api/bits/", Reply::json(R"([{"id":1},"x"])"));
    server.on("GET", "/api/receipts/", Reply::json(R"({"results":[]})"));
    const Call<BitPage> badPage([](auto d) { return L::getBITs("t", "M1", JsonObject{}, 2, d); });
    EXPECT_EQ(badPage.error().kind(), Kind::objectMapping);
    ASSERT_NE(badPage.error().response(), nullptr);
    EXPECT_EQ(badPage.error().response()->statusCode, 200);
    EXPECT_EQ(Call<Receipts>([](auto d) { return L::getReceipts({}, "t", d); }).error().kind(),
              Kind::objectMapping);
}

}  // namespace
