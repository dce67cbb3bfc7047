#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "api/request_road.hpp"
#include "api/response_decoding.hpp"
#include "lumeno/api/lumeno_request.hpp"
#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/lumeno.hpp"
#include "support/transport.hpp"
#include "support/wait.hpp"

using namespace lumeno;
using namespace std::chrono_literals;
using boost::json::parse;
using test::FakeServer;
using test::Reply;

namespace {

const std::string kProfile =
    R"({"id":"M1","first_name":"Ada","balances":[{"loyalty_account_id":1,"balance":10}],"token":"inner"})";

/// Runs one call and waits for its completion.
template <class T>
struct Call {
    std::optional<Result<T>> result;
    int completions = 0;
    Handle handle;

    template <class Start>
    explicit Call(Start start) {
        handle = start([this](Result<T> r) {
            ++completions;
            result = std::move(r);
        });
        test::waitFor([this] { return completions > 0; });
    }
    decltype(auto) value() const { return result->value(); }
    const LumenoError& error() const { return result->error(); }
};

class MemberCallsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::useServer(server, "/api");
        credentials().removeCredential();
    }
    void TearDown() override {
        credentials().removeCredential();
        Lumeno::shared().isReCaptchaEnabled = false;
        Lumeno::shared().usev2Signup = false;
        test::resetTransport();
    }
    static const CredentialsManager& credentials() { return CredentialsManager::shared(); }
    static std::optional<std::string> item(std::string_view key) { return credentials().keychain().string(key); }
    test::RecordedRequest lastRequest() const { return server.requests().back(); }

    /// Stores the items of an earlier password session.
    static void storeEarlierSession() {
        credentials().storeCredential("old@example.com", "old-token", "3600",
                                      CredentialsManager::SessionType::password("old-pw"));
    }

    FakeServer server;
};

// The token rule.

TEST_F(MemberCallsTest, MissingTokenFailsAtOnceAndSendsNothing) {
    int completions = 0;
    std::optional<LumenoError::Kind> kind;
    const Handle handle = LumenoRequest::getMemberDetails(std::nullopt, [&](Result<MemberDetails> r) {
        ++completions;
        if (!r) kind = r.error().kind();
    });
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(completions, 1);  // before the call returned
    EXPECT_EQ(kind, LumenoError::Kind::invalidToken);
    test::settle();
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(completions, 1);
}

TEST_F(MemberCallsTest, TokenArgumentStoredTokenAndEmptyToken) {
    server.on("GET", "/api/members/details/", Reply::json(R"({"data":)" + kProfile + "}"));
    credentials().setToken("stored");
    const struct {
        Token argument;
        std::optional<std::string> authorization;
    } cases[] = {
        {std::nullopt, "JWT stored"},
        {"given", "JWT given"},
        {"", std::nullopt},  // an empty token is a token: sent without "Authorization"
    };
    for (const auto& c : cases) {
        Call<MemberDetails> call([&](auto done) { return LumenoRequest::getMemberDetails(c.argument, done); });
        ASSERT_TRUE(call.result->has_value()) << call.error().description();
        EXPECT_NE(call.handle, nullptr);
        const auto sent = lastRequest();
        const auto header = sent.headers.find("Authorization");
        EXPECT_EQ(header ? std::optional<std::string>(*header) : std::nullopt, c.authorization);
    }
}

TEST_F(MemberCallsTest, TokenArgumentOnlyBodyNeverReadsTheStore) {
    credentials().setToken("stored");
    std::optional<Result<Response>> outcome;
    const Handle handle = detail::sendWithTokenArgument(
        std::nullopt, [&](detail::ProviderResult r) { outcome = std::move(r); },
        [](std::string token) { return detail::service::GetImageUploadURL{"M1", "M1-abcdef.png", std::move(token)}; });
    EXPECT_EQ(handle, nullptr);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->error().kind(), LumenoError::Kind::invalidToken);
}

TEST_F(MemberCallsTest, EmptyResultCallsSucceedOnAnySuccessfulReply) {
    const struct {
        Reply reply;
        std::optional<LumenoError::Kind> failure;
    } cases[] = {
        {Reply(200, "not json"), std::nullopt},
        {Reply(204), std::nullopt},
        {Reply::json(R"({"errors":[{"code":"not_found"}]})", 404), LumenoError::Kind::statusCode},
        {Reply(404, "<html>"), LumenoError::Kind::lumenoErrorMapping},
    };
    for (const auto& c : cases) {
        server.on("DELETE", "/api/members/devices/", c.reply);
        Call<void> call([](auto done) {
            return detail::sendTokenRequest("t", detail::handleEmptyResponse(done),
                                            [](std::string token) { return detail::service::DeleteDevice{"d1", token}; });
        });
        EXPECT_EQ(call.result->has_value(), !c.failure) << c.reply.status;
        if (c.failure) {
            EXPECT_EQ(call.error().kind(), *c.failure);
        }
    }
}

TEST_F(MemberCallsTest, TwoCallsUseTwoRequestsAndCancellingOneLeavesTheOther) {
    server.on("GET", "/api/members/details/", Reply::json(R"({"data":)" + kProfile + "}").after(300ms));
    std::optional<Result<MemberDetails>> first, second;
    const Handle a = LumenoRequest::getMemberDetails("t", [&](auto r) { first = std::move(r); });
    const Handle b = LumenoRequest::getMemberDetails("t", [&](auto r) { second = std::move(r); });
    ASSERT_NE(a, b);
    a->cancel();
    test::waitFor([&] { return first && second; });
    EXPECT_EQ(first->error().kind(), LumenoError::Kind::underlying);
    EXPECT_TRUE(second->has_value());
}

// Login.

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
        storeEarlierSession();
        server.on("POST", "/api/members/login/", Reply::json(c.reply));
        std::optional<std::string> tokenSeenByCompletion;
        const auto before = std::chrono::system_clock::now();
        Call<MemberResponse> call([&](auto done) {
            return LumenoRequest::login("Ada@Example.com", "pw", [&, done](Result<MemberResponse> r) {
                tokenSeenByCompletion = credentials().token();
                done(std::move(r));
            });
        });
        const auto after = std::chrono::system_clock::now();
        ASSERT_TRUE(call.result->has_value()) << c.reply;
        EXPECT_EQ(tokenSeenByCompletion, c.token) << c.reply;
        EXPECT_EQ(item("user"), "Ada@Example.com");
        EXPECT_EQ(credentials().keychain().integer("sessionTypeKey"), 0);
        EXPECT_EQ(item("sessionTypePassword"), "pw");
        const auto expiry = credentials().expiryDate();
        ASSERT_EQ(expiry.has_value(), c.expiresAfter.has_value()) << c.reply;
        if (expiry) {
            EXPECT_GE(*expiry, std::chrono::floor<std::chrono::milliseconds>(before) + *c.expiresAfter) << c.reply;
            EXPECT_LE(*expiry, after + *c.expiresAfter) << c.reply;
        }
    }
    EXPECT_EQ(parse(lastRequest().body), parse(R"({"username":"Ada@Example.com","password":"pw"})"));
    EXPECT_FALSE(lastRequest().headers.contains("Authorization"));
}

TEST_F(MemberCallsTest, FailedLoginLeavesTheEarlierSession) {
    storeEarlierSession();
    const auto expiry = item("expiry");
    server.on("POST", "/api/members/login/",
              Reply::json(R"({"errors":[{"code":"INVALID_CREDENTIALS","message":"no"}]})", 401));
    Call<MemberResponse> call([](auto done) { return LumenoRequest::login("ada", "wrong", done); });
    ASSERT_FALSE(call.result->has_value());
    EXPECT_EQ(call.error().loginErrorCode(), LumenoError::LoginErrorCode::invalidCredentials);
    EXPECT_EQ(item("user"), "old@example.com");
    EXPECT_EQ(item("token"), "old-token");
    EXPECT_EQ(item("sessionTypePassword"), "old-pw");
    EXPECT_EQ(item("expiry"), expiry);
}

TEST_F(MemberCallsTest, OfTwoLoginsInFlightTheLastHandledWinsWhole) {
    server.on("POST", "/api/members/login/", [](const test::RecordedRequest& request) {
        const auto user = std::string(parse(request.body).at("username").as_string());
        return Reply::json(R"({"token":"token-)" + user + R"(","expires_in":"60"})");
    });
    std::vector<std::string> handled;
    for (const char* user : {"first", "second"})
        LumenoRequest::login(user, std::string("pw-") + user, [&, user](auto) { handled.emplace_back(user); });
    test::waitFor([&] { return handled.size() == 2; });
    const std::string& last = handled.back();
    EXPECT_EQ(item("user"), last);
    EXPECT_EQ(item("token"), "token-" + last);
    EXPECT_EQ(item("sessionTypePassword"), "pw-" + last);
}

// Enrolment and validation.

struct Enrolment {
    std::string email;
    JsonValue toJson() const { return JsonObject{{"email", email}}; }
};

TEST_F(MemberCallsTest, EnrollMemberOutcomes) {
    enum Outcome { created, exists, existsUnvalidated, failure };
    const struct {
        Reply reply;
        Outcome outcome;
        const char* memberId;
    } cases[] = {
        {Reply::json(kProfile, 201), created, "M1"},
        {Reply::json(R"({"errors":[{"code":"member_exists","data":{"member_id":"M9"}}]})", 409), exists, "M9"},
        {Reply::json(R"({"errors":[{"code":"member_exists_unvalidated","data":{"member_id":"M8"}}]})", 409),
         existsUnvalidated, "M8"},
        {Reply::json(R"({"errors":[{"code":"MEMBER_EXISTS","data":{"member_id":"M9"}}]})", 409), failure, ""},
        {Reply::json(R"({"errors":[{"code":"member_exists_unvalidated","data":{"member_id":9}}]})", 409), failure, ""},
        {Reply::json(R"({"errors":[{"code":"member_exists","data":{"member_id":null}}]})", 409), failure, ""},
        {Reply::json(R"({"errors":[{"code":"member_exists"}]})", 409), failure, ""},
        {Reply(500, "oops"), failure, ""},
        {Reply::json(R"({"id":true})", 201), failure, ""},
    };
    for (const auto& c : cases) {
        storeEarlierSession();
        server.on("POST", "/api/members/", c.reply);
        Call<MemberRegistrationStatus> call([](auto done) {
            return LumenoRequest::enrollMember(Enrolment{"ada@example.com"}, EnrollmentType::normal, std::nullopt,
                                               std::nullopt, done);
        });
        const auto& body = c.reply.body;
        ASSERT_EQ(call.result->has_value(), c.outcome != failure) << body;
        switch (c.outcome) {
            case created: {
                const auto* status = std::get_if<registration::Created>(&call.value());
                ASSERT_NE(status, nullptr);
                EXPECT_EQ(status->member.id, c.memberId);
                EXPECT_EQ(status->member.balances.at(0).memberId, std::nullopt);  // decoded without a context
                EXPECT_EQ(item("token"), "inner");
                EXPECT_EQ(item("expiry"), std::nullopt);  // the record has no "expires_in"
                break;
            }
            case exists: EXPECT_EQ(std::get<registration::Exists>(call.value()).memberId, c.memberId); break;
            case existsUnvalidated:
                EXPECT_EQ(std::get<registration::ExistsUnvalidated>(call.value()).memberId, c.memberId);
                break;
            case failure: EXPECT_EQ(item("token"), "old-token") << body; break;
        }
        EXPECT_EQ(item("user"), "old@example.com");  // enrolment writes only "token" and "expiry"
    }
}

TEST_F(MemberCallsTest, EnrollMemberStoresTheExpiryTextAsReceived) {
    server.on("POST", "/api/members/", Reply::json(R"({"id":"M1","token":"new","expires_in":"3600"})", 201));
    Call<MemberRegistrationStatus> call([](auto done) {
        return LumenoRequest::enrollMember(JsonValue(JsonObject{{"email", "x"}}), EnrollmentType::normal, std::nullopt,
                                           std::nullopt, done);
    });
    ASSERT_TRUE(call.result->has_value());
    EXPECT_EQ(item("token"), "new");
    EXPECT_EQ(item("expiry"), "3600");
    EXPECT_EQ(credentials().expiryDate(), std::nullopt);  // not a date: reads as absent
}

TEST_F(MemberCallsTest, EnrollMemberV1ReadsTheStatus) {
    const struct {
        int status;
        const char* body;
        int index;  // variant index, or -1 for a failure
    } cases[] = {
        {201, kProfile.c_str(), 0},
        {202, kProfile.c_str(), 1},
        {200, kProfile.c_str(), 2},
        {204, "", -1},
        {203, kProfile.c_str(), -1},
        {409, R"({"errors":[{"code":"member_exists","data":{"member_id":"M9"}}]})", -1},
        {201, "[]", -1},
    };
    for (const auto& c : cases) {
        server.on("POST", "/api/members/", Reply(c.status, c.body));
        Call<MemberRegistrationStatusV1> call([](auto done) {
            return LumenoRequest::enrollMemberV1(Enrolment{"ada@example.com"}, EnrollmentType::normal, std::nullopt,
                                                 std::nullopt, done);
        });
        ASSERT_EQ(call.result->has_value(), c.index >= 0) << c.status;
        if (c.index >= 0) {
            EXPECT_EQ(static_cast<int>(call.value().index()), c.index) << c.status;
        }
        EXPECT_EQ(item("token"), std::nullopt);
    }
}

TEST_F(MemberCallsTest, EnrolmentPathsAndReCaptchaHeaders) {
    server.otherwise(Reply::json(kProfile, 201));
    const struct {
        EnrollmentType type;
        bool v2;
        bool reCaptcha;
        std::optional<std::string> siteKey;
        const char* path;
        bool headers;
    } cases[] = {
        {EnrollmentType::normal, false, true, "site", "/api/members/", true},
        {EnrollmentType::normal, false, true, "", "/api/members/", false},
        {EnrollmentType::normal, false, false, "site", "/api/members/", false},
        {EnrollmentType::facebook, false, true, std::nullopt, "/api/members/social/facebook/", false},
        {EnrollmentType::apple, true, false, std::nullopt, "/api/members/social/apple/", false},
    };
    for (const auto& c : cases) {
        Lumeno::shared().usev2Signup = c.v2;
        Lumeno::shared().isReCaptchaEnabled = c.reCaptcha;
        Call<MemberRegistrationStatusV1> call([&](auto done) {
            return LumenoRequest::enrollMemberV1(Enrolment{"e"}, c.type, "captcha", c.siteKey, done);
        });
        const auto sent = lastRequest();
        EXPECT_EQ(sent.path, c.path);
        EXPECT_EQ(parse(sent.body), parse(R"({"email":"e"})"));
        EXPECT_EQ(sent.headers.contains("Recaptcha-Token"), c.headers) << c.path;
        EXPECT_EQ(sent.headers.contains("Recaptcha-SiteKey"), c.headers) << c.path;
        EXPECT_FALSE(sent.headers.contains("Authorization"));
    }
}

TEST_F(MemberCallsTest, ValidateMemberBodies) {
    server.on("POST", "/api/members/validate/M1/", Reply::json(R"({"success":true,"token":"v"})"));
    server.on("POST", "/api/members/validate/M2/", Reply::json(R"({"success":true})"));
    credentials().setToken("stored");
    Call<LumenoTokenResponse> plain(
        [](auto done) { return LumenoRequest::validateMember("M1", "123456", std::nullopt, done); });
    EXPECT_EQ(plain.value().token, "v");
    EXPECT_EQ(parse(lastRequest().body), parse(R"({"otp":"123456"})"));
    EXPECT_FALSE(lastRequest().headers.contains("Authorization"));
    EXPECT_EQ(item("token"), "stored");

    Call<LumenoTokenResponse> extra([](auto done) {
        return LumenoRequest::validateMember("M2", "1", ValidateMemberExtraData{"mobile", "+4420"}, done);
    });
    EXPECT_EQ(parse(lastRequest().body), parse(R"({"otp":"1","mobile":"+4420"})"));
    EXPECT_EQ(extra.error().kind(), LumenoError::Kind::objectMapping);  // "token" is required
}

// Member profile and balances.

TEST_F(MemberCallsTest, ProfileAndBalanceCallsDecodeTheirShapes) {
    server.on("GET", "/api/members/details/", Reply::json(kProfile));  // no "data": a mapping failure
    server.on("GET", "/api/members/data/M1/", Reply::json(R"({"data":)" + kProfile + "}"));
    server.on("GET", "/api/members/M1/balances/", Reply::json(kProfile));

    Call<MemberDetails> unwrapped([](auto done) { return LumenoRequest::getMemberDetails("t", done); });
    EXPECT_EQ(unwrapped.error().kind(), LumenoError::Kind::objectMapping);

    Call<MemberDetails> byId([](auto done) { return LumenoRequest::getMemberDetails("t", "M1", done); });
    EXPECT_EQ(byId.value().firstName, "Ada");
    const auto profileRequest = lastRequest();

    Call<std::vector<MemberBalance>> fromProfile(
        [](auto done) { return LumenoRequest::getMemberBalances("t", "M1", done); });
    EXPECT_EQ(fromProfile.value().at(0).memberId, "M1");
    const auto balancesRequest = lastRequest();
    EXPECT_EQ(balancesRequest.path, profileRequest.path);
    EXPECT_EQ(balancesRequest.query, profileRequest.query);
    EXPECT_EQ(balancesRequest.headers.find("Authorization"), profileRequest.headers.find("Authorization"));

    Call<std::vector<MemberBalance>> atRoot(
        [](auto done) { return LumenoRequest::getMemberBalances("t", "M1", JsonObject{}, done); });
    EXPECT_EQ(atRoot.value().at(0).balance, 10);
    EXPECT_EQ(lastRequest().query, "");

    Call<std::vector<MemberBalance>> withQuery([](auto done) {
        return LumenoRequest::getMemberBalances("t", "M1", JsonObject{{"active", true}}, done);
    });
    EXPECT_EQ(lastRequest().query, "active=1");
}

TEST_F(MemberCallsTest, PointBalanceAndStatus) {
    server.on("GET", "/api/members/M1/loyaltyaccount/12/",
              Reply::json(R"({"member_id":"M1","total_points":5,"available_points":4,"pending_points":1})"));
    server.on("POST", "/api/members/exists/", Reply::json(R"({"exists":true,"validated":false})"));
    Call<PendingPointBalance> points([](auto done) { return LumenoRequest::getPointBalance("t", "M1", 12, done); });
    EXPECT_EQ(points.value().availablePoints, 4);

    credentials().setToken("stored");
    Call<MemberStatus> status([](auto done) { return LumenoRequest::getMemberStatus("mobile", "+4420", done); });
    EXPECT_TRUE(status.value().exists);
    EXPECT_FALSE(status.value().validated);
    EXPECT_FALSE(lastRequest().headers.contains("Authorization"));
    EXPECT_EQ(parse(lastRequest().body), parse(R"({"mobile":"+4420"})"));
}

TEST_F(MemberCallsTest, PatchMemberDecodesWithoutContext) {
    server.on("PATCH", "/api/members/update/M1/", Reply::json(kProfile));
    Call<MemberDetails> call([](auto done) {
        return LumenoRequest::patchMember("t", "M1", JsonValue(JsonObject{{"first_name", "Ada"}}), done);
    });
    ASSERT_TRUE(call.result->has_value());
    EXPECT_EQ(call.value().balances.at(0).memberId, std::nullopt);
    EXPECT_EQ(parse(lastRequest().body), parse(R"({"first_name":"Ada"})"));
}

TEST(ReLoginStatus, DecodesTheStatusText) {
    const Decoder decoder;
    EXPECT_TRUE(std::holds_alternative<relogin::InternalFailure>(ReLoginStatus::decode(parse(R"("failure")"), decoder)));
    for (const char* other : {R"("Failure")", R"("SUCCESS")", R"("")", "42", "{}"})
        EXPECT_TRUE(std::holds_alternative<relogin::NotRequired>(ReLoginStatus::decode(parse(other), decoder))) << other;
    // "success" asks the same value for a member response, which a text cannot give.
    EXPECT_THROW(ReLoginStatus::decode(parse(R"("success")"), decoder), DecodingError);
}

}  // namespace
