#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "api/response_decoding.hpp"
#include "support/call_table.hpp"

using namespace lumeno;
using namespace std::chrono_literals;
using boost::json::parse;
using test::Reply;
using Kind = LumenoError::Kind;

namespace {

const std::string kProfile =
    R"({"id":"M1","first_name":"Ada","balances":[{"loyalty_account_id":1,"balance":10}],"token":"inner"})";
const std::string kWrapped = R"({"data":)" + kProfile + "}";

using MemberCallsTest = test::CallTableTest;
using test::Call;

TEST_F(MemberCallsTest, EveryCallSendsItsCase) {
    using L = LumenoRequest;
    const std::string byId = "/api/members/data/M1/";
    const Reply status = Reply::json(R"({"exists":true,"validated":false})");
    const Reply validated = Reply::json(R"({"success":true,"token":"v"})");
    checkEachCall({
        {"getMemberDetails", [](auto& t, auto d) { return L::getMemberDetails(t, d); }, "GET", "/api/members/details/",
         {}, nullptr, Reply::json(kWrapped)},
        {"getMemberDetails member", [](auto& t, auto d) { return L::getMemberDetails(t, "M1", d); }, "GET", byId, {},
         nullptr, Reply::json(kWrapped)},
        // The balances of a member come with the profile, the same request.
        {"getMemberBalances", [](auto& t, auto d) { return L::getMemberBalances(t, "M1", d); }, "GET", byId, {},
         nullptr, Reply::json(kWrapped)},
        {"getMemberBalances parameters",
         [](auto& t, auto d) { return L::getMemberBalances(t, "M1", JsonObject{{"active", true}}, d); }, "GET",
         "/api/members/M1/balances/", {{"active", "1"}}, nullptr, Reply::json(kProfile)},
        {"getPointBalance", [](auto& t, auto d) { return L::getPointBalance(t, "M1", 12, d); }, "GET",
         "/api/members/M1/loyaltyaccount/12/", {}, nullptr, Reply::json(R"({"available_points":4})")},
        {"patchMember",
         [](auto& t, auto d) { return L::patchMember(t, "M1", JsonValue(JsonObject{{"first_name", "Ada"}}), d); },
         "PATCH", "/api/members/update/M1/", {}, R"({"first_name":"Ada"})", Reply::json(kProfile)},
        {"getMemberStatus", [](auto&, auto d) { return L::getMemberStatus("mobile", "+4420", d); }, "POST",
         "/api/members/exists/", {}, R"({"mobile":"+4420"})", status, test::TokenRule::none},
        {"validateMember", [](auto&, auto d) { return L::validateMember("M1", "1", std::nullopt, d); }, "POST",
         "/api/members/validate/M1/", {}, R"({"otp":"1"})", validated, test::TokenRule::none},
        {"validateMember attribute",
         [](auto&, auto d) { return L::validateMember("M1", "1", ValidateMemberExtraData{"mobile", "+4420"}, d); },
         "POST", "/api/members/validate/M1/", {}, R"({"otp":"1","mobile":"+4420"})", validated,
         test::TokenRule::none},
    });
}

TEST_F(MemberCallsTest, EmptyResultCallsSucceedOnAnySuccessfulReply) {
    const std::pair<Reply, std::optional<Kind>> cases[] = {
        {Reply(200, "not json"), std::nullopt},
        {Reply(204), std::nullopt},
        {Reply::json(R"({"errors":[{"code":"not_found"}]})", 404), Kind::statusCode},
        {Reply(404, "<html>"), Kind::lumenoErrorMapping},
    };
    for (const auto& [reply, failure] : cases) {
        server.on("DELETE", "/api/members/devices/", reply);
        Call<void> call([](auto done) { return LumenoRequest::deleteDevice("t", "d1", done); });
        ASSERT_EQ(call.result->has_value(), !failure) << reply.status;
        if (failure) {
            EXPECT_EQ(call.error().kind(), *failure);
        }
    }
}

TEST_F(MemberCallsTest, CancellingOneCallLeavesTheOther) {
    server.on("GET", "/api/members/details/", Reply::json(kWrapped).after(300ms));
    std::optional<Result<MemberDetails>> first, second;
    const Handle a = LumenoRequest::getMemberDetails("t", [&](auto r) { first = std::move(r); });
    const Handle b = LumenoRequest::getMemberDetails("t", [&](auto r) { second = std::move(r); });
    ASSERT_NE(a, b);
    a->cancel();
    test::waitFor([&] { return first && second; });
    EXPECT_EQ(first->error().kind(), Kind::underlying);
    EXPECT_TRUE(second->has_value());
}

TEST_F(MemberCallsTest, LoginStoresThePasswordSessionBeforeTheCompletion) {
    const struct {
        const char* reply;
        std::optional<std::string> token;
        std::optional<std::chrono::seconds> expiresAfter;  // nullopt: no "expiry" item
    } cases[] = {
        {R"({"token":"t1","expires_in":"3600","success":true})", "t1", 3480s},
        {R"({"token":"t2","expires_in":"abc"})", "t2", 0s},
        {R"({"token":"t3"})", "t3", std::nullopt},
        {R"({"expires_in":"3.6e3","success":false})", std::nullopt, 3480s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        storeEarlierSession();
        server.on("POST", "/api/members/login/", Reply::json(c.reply));
        std::optional<std::string> tokenInCompletion;
        const auto before = std::chrono::floor<std::chrono::milliseconds>(std::chrono::system_clock::now());
        Call<MemberResponse> call([&](auto done) {
            return LumenoRequest::login("Ada@Example.com", "pw", [&, done](Result<MemberResponse> r) {
                tokenInCompletion = store().token();
                done(std::move(r));
            });
        });
        const auto after = std::chrono::system_clock::now();
        ASSERT_TRUE(call.result->has_value());
        EXPECT_EQ(tokenInCompletion, c.token);
        EXPECT_EQ(item("user"), "Ada@Example.com");
        EXPECT_EQ(store().keychain().integer("sessionTypeKey"), 0);
        EXPECT_EQ(item("sessionTypePassword"), "pw");
        const auto expiry = store().expiryDate();
        ASSERT_EQ(expiry.has_value(), c.expiresAfter.has_value());
        if (expiry) {
            EXPECT_GE(*expiry, before + *c.expiresAfter);
            EXPECT_LE(*expiry, after + *c.expiresAfter);
        }
    }
    EXPECT_EQ(parse(sent().body), parse(R"({"username":"Ada@Example.com","password":"pw"})"));
    EXPECT_FALSE(sentHeader("Authorization"));
}

TEST_F(MemberCallsTest, FailedLoginLeavesTheEarlierSession) {
    storeEarlierSession();
    const auto expiry = item("expiry");
    server.on("POST", "/api/members/login/", Reply::json(R"({"errors":[{"code":"INVALID_CREDENTIALS"}]})", 401));
    Call<MemberResponse> call([](auto done) { return LumenoRequest::login("ada", "wrong", done); });
    EXPECT_EQ(call.error().loginErrorCode(), LumenoError::LoginErrorCode::invalidCredentials);
    for (auto [key, value] : {std::pair{"user", "old@example.com"}, {"token", "old-token"}, {"sessionTypePassword", "pw0"}})
        EXPECT_EQ(item(key), value);
    EXPECT_EQ(item("expiry"), expiry);
}

TEST_F(MemberCallsTest, OfTwoLoginsInFlightTheLastHandledWinsWhole) {
    server.on("POST", "/api/members/login/", [](const test::RecordedRequest& request) {
        const auto user = std::string(parse(request.body).at("username").as_string());
        return Reply::json(R"({"token":"token-)" + user + R"(","expires_in":"60"})");
    });
    std::vector<std::string> handled;
    for (std::string user : {"first", "second"})
        LumenoRequest::login(user, "pw-" + user, [&, user](auto) { handled.push_back(user); });
    test::waitFor([&] { return handled.size() == 2; });
    EXPECT_EQ(item("user"), handled.back());
    EXPECT_EQ(item("token"), "token-" + handled.back());
    EXPECT_EQ(item("sessionTypePassword"), "pw-" + handled.back());
}

struct Enrolment {
    std::string email;
    JsonValue toJson() const { return JsonObject{{"email", email}}; }
};

TEST_F(MemberCallsTest, EnrollMemberOutcomes) {
    const auto exists = [](const char* code, const char* id) {
        return Reply::json(std::string(R"({"errors":[{"code":")") + code + R"(","data":{"member_id":)" + id + "}}]}", 409);
    };
    const struct {
        Reply reply;
        int index;  // variant index, or -1 for a failure
        std::string memberId;
    } cases[] = {
        {Reply::json(R"({"id":"M1","token":"new","expires_in":"3600"})", 201), 0, "M1"},
        {exists("member_exists_unvalidated", R"("M8")"), 1, "M8"},
        {exists("member_exists", R"("M9")"), 2, "M9"},
        {exists("MEMBER_EXISTS", R"("M9")"), -1, ""},  // the code keeps its case
        {exists("member_exists_unvalidated", "9"), -1, ""},
        {exists("member_exists", "null"), -1, ""},
        {Reply::json(R"({"errors":[{"code":"member_exists"}]})", 409), -1, ""},
        {Reply::json(R"({"id":true})", 201), -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply.body);
        storeEarlierSession();
        server.on("POST", "/api/members/", c.reply);
        Call<MemberRegistrationStatus> call([](auto done) {
            return LumenoRequest::enrollMember(Enrolment{"ada@example.com"}, EnrollmentType::normal, std::nullopt,
                                               std::nullopt, done);
        });
        ASSERT_EQ(call.result->has_value(), c.index >= 0);
        EXPECT_EQ(item("user"), "old@example.com");  // enrolment writes only "token" and "expiry"
        if (c.index < 0) {
            EXPECT_EQ(item("token"), "old-token");
            continue;
        }
        ASSERT_EQ(static_cast<int>(call.value().index()), c.index);
        if (const auto* created = std::get_if<registration::Created>(&call.value())) {
            EXPECT_EQ(created->member.id, c.memberId);
            EXPECT_EQ(item("token"), "new");
            EXPECT_EQ(item("expiry"), "3600");  // the text as received, which reads as no date
            EXPECT_EQ(store().expiryDate(), std::nullopt);
        } else if (const auto* known = std::get_if<registration::Exists>(&call.value())) {
            EXPECT_EQ(known->memberId, c.memberId);
        } else {
            EXPECT_EQ(std::get<registration::ExistsUnvalidated>(call.value()).memberId, c.memberId);
        }
    }
}

TEST_F(MemberCallsTest, EnrollMemberV1ReadsTheStatus) {
    const std::pair<int, int> cases[] = {{201, 0}, {202, 1}, {200, 2}, {204, -1}, {203, -1}, {409, -1}};
    for (const auto& [status, index] : cases) {
        server.on("POST", "/api/members/", Reply(status, status == 204 ? "" : kProfile));
        Call<MemberRegistrationStatusV1> call([](auto done) {
            return LumenoRequest::enrollMemberV1(Enrolment{"e"}, EnrollmentType::normal, std::nullopt, std::nullopt, done);
        });
        ASSERT_EQ(call.result->has_value(), index >= 0) << status;
        if (index >= 0) {
            EXPECT_EQ(static_cast<int>(call.value().index()), index) << status;
        }
        EXPECT_EQ(item("token"), std::nullopt);
    }
}

TEST_F(MemberCallsTest, EnrolmentPathsAndReCaptchaHeaders) {
    Lumeno::shared().updateSettings([&](LumenoSettings& settings) { settings.tenant = server.url("/api/v1"); });
    server.otherwise(Reply::json(kProfile, 201));
    const struct {
        EnrollmentType type;
        bool v2, reCaptcha;
        std::optional<std::string> siteKey;
        const char* path;
        bool headers;
    } cases[] = {
        {EnrollmentType::normal, false, true, "site", "/api/v1/members/", true},
        {EnrollmentType::normal, true, true, "", "/api/v2/members/", false},
        {EnrollmentType::normal, false, false, "site", "/api/v1/members/", false},
        {EnrollmentType::facebook, true, true, std::nullopt, "/api/v1/members/social/facebook/", false},
    };
    for (const auto& c : cases) {
        Lumeno::shared().updateSettings([&](LumenoSettings& settings) {
            settings.usev2Signup = c.v2;
            settings.isReCaptchaEnabled = c.reCaptcha;
        });
        Call<MemberRegistrationStatusV1> call(
            [&](auto done) { return LumenoRequest::enrollMemberV1(Enrolment{"e"}, c.type, "captcha", c.siteKey, done); });
        EXPECT_EQ(sent().path, c.path);
        EXPECT_EQ(parse(sent().body), parse(R"({"email":"e"})"));
        EXPECT_EQ(sentHeader("Recaptcha-Token").has_value(), c.headers) << c.path;
        EXPECT_EQ(sentHeader("Recaptcha-SiteKey").has_value(), c.headers) << c.path;
        EXPECT_FALSE(sentHeader("Authorization"));
    }
}

TEST_F(MemberCallsTest, ValidateMemberStoresNothing) {
    server.on("POST", "/api/members/validate/M1/", Reply::json(R"({"success":true,"token":"v"})"));
    store().setToken("stored");
    using Extra = std::optional<ValidateMemberExtraData>;
    for (const Extra& extra : {Extra(), Extra(ValidateMemberExtraData{"mobile", "+4420"})}) {
        const Call<LumenoTokenResponse> call(
            [&](auto done) { return LumenoRequest::validateMember("M1", "1", extra, done); });
        EXPECT_EQ(call.value().token, "v");
        EXPECT_EQ(item("token"), "stored");
    }
}

TEST_F(MemberCallsTest, ProfileBalanceAndStatusCallsDecodeTheirShapes) {
    server.on("GET", "/api/members/details/", Reply::json(kProfile));  // no "data": a mapping failure
    server.on("GET", "/api/members/data/M1/", Reply::json(kWrapped));
    server.on("GET", "/api/members/M1/balances/", Reply::json(kProfile));
    server.on("GET", "/api/members/M1/loyaltyaccount/12/", Reply::json(R"({"available_points":4})"));
    server.on("PATCH", "/api/members/update/M1/", Reply::json(kProfile));
    server.on("POST", "/api/members/exists/", Reply::json(R"({"exists":true,"validated":false})"));

    EXPECT_EQ(Call<MemberDetails>([](auto d) { return LumenoRequest::getMemberDetails("t", d); }).error().kind(),
              Kind::objectMapping);
    EXPECT_EQ(Call<MemberDetails>([](auto d) { return LumenoRequest::getMemberDetails("t", "M1", d); }).value().firstName,
              "Ada");
    const Call<std::vector<MemberBalance>> byId([](auto d) { return LumenoRequest::getMemberBalances("t", "M1", d); });
    EXPECT_EQ(byId.value().at(0).memberId, "M1");
    const Call<std::vector<MemberBalance>> atRoot(
        [](auto d) { return LumenoRequest::getMemberBalances("t", "M1", JsonObject{{"active", true}}, d); });
    EXPECT_EQ(atRoot.value().at(0).balance, 10);
    EXPECT_EQ(Call<PendingPointBalance>([](auto d) { return LumenoRequest::getPointBalance("t", "M1", 12, d); })
                  .value()
                  .availablePoints,
              4);
    const Call<MemberDetails> patched([](auto d) {
        return LumenoRequest::patchMember("t", "M1", JsonValue(JsonObject{{"first_name", "Ada"}}), d);
    });
    EXPECT_EQ(patched.value().balances.at(0).memberId, std::nullopt);  // decoded without a context
    const Call<MemberStatus> status([](auto d) { return LumenoRequest::getMemberStatus("mobile", "+4420", d); });
    EXPECT_TRUE(status.value().exists);
}

TEST(ReLoginStatus, DecodesTheStatusText) {
    const Decoder decoder;
    EXPECT_TRUE(std::holds_alternative<relogin::InternalFailure>(ReLoginStatus::decode(parse(R"("failure")"), decoder)));
    for (const char* other : {R"("Failure")", R"("SUCCESS")", R"("")", "42"})
        EXPECT_TRUE(std::holds_alternative<relogin::NotRequired>(ReLoginStatus::decode(parse(other), decoder))) << other;
    // "success" asks the same value for a member response, which a text cannot give.
    EXPECT_THROW(ReLoginStatus::decode(parse(R"("success")"), decoder), DecodingError);
}

}  // namespace
