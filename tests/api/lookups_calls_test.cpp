#include <gtest/gtest.h>

#include <boost/json.hpp>

#include <algorithm>
#include <set>

#include "core/service/lumeno_service.hpp"
#include "support/call_test.hpp"

using namespace lumeno;
using boost::json::parse;
using test::Reply;
using Kind = LumenoError::Kind;

namespace {

using LookupCallsTest = test::CallTest;
using test::Call;
using test::parsedQuery;
using TextMap = std::map<std::string, std::string>;

/// A completion for any result type that keeps only success or the error.
struct Report {
    std::shared_ptr<std::optional<Result<void>>> outcome = std::make_shared<std::optional<Result<void>>>();

    template <class T>
    void operator()(Result<T> result) const {
        *outcome = result ? Result<void>() : Result<void>(fail(result.error()));
    }
};

enum class TokenRule { standard, upload, none };

struct CallRow {
    const char* name;
    Handle (*start)(const Token& token, Report report);
    const char* method;
    const char* path;
    const char* query;  // "" for none
    const char* body;   // nullptr for none
    Reply reply;
    TokenRule rule = TokenRule::standard;
};

bool wellFormedFileName(std::string_view name, std::string_view memberId) {
    const auto random = name.substr(std::min(name.size(), memberId.size() + 1), 6);
    return name.size() == memberId.size() + 11 && name.starts_with(memberId) && name[memberId.size()] == '-' &&
           name.ends_with(".png") && std::ranges::all_of(random, [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

const char* const kInvite = R"({"id":7,"status":"pending","invitee_email":"kid@example.com"})";

std::vector<CallRow> calls() {
    using L = LumenoRequest;
    const auto ok = [](std::string body) { return Reply::json(std::move(body)); };
    return {
        // Reference data and uploads.
        {"getLoginAttribute", [](const Token& t, Report r) { return L::getLoginAttribute(t, r); }, "GET",
         "/api/login-attributes/", "", nullptr, ok(R"({"attribute":"email"})")},
        {"getLookUps", [](const Token& t, Report r) { return L::getLookUps(t, "gender", r); }, "GET", "/api/lookups/",
         "active=1&type=gender", nullptr, ok(R"([{"id":1,"name":"Female"}])")},
        {"getAllLookUps", [](const Token& t, Report r) { return L::getAllLookUps(t, r); }, "GET", "/api/lookups/", "",
         nullptr, ok("[]")},
        {"getBalanceTagNames", [](const Token& t, Report r) { return L::getBalanceTagNames(t, r); }, "GET",
         "/api/loyaltyaccounts/1/tags", "page_size=1000&active=1", nullptr, ok(R"([{"id":1,"name":"Gold"}])")},
        {"getRegion", [](const Token& t, Report r) { return L::getRegion(t, "United Kingdom", r); }, "GET",
         "/api/regions/", "country__name=United Kingdom&active=1", nullptr, ok(R"([{"id":3,"country":44}])")},
        {"fetchRegion", [](const Token& t, Report r) { return L::fetchRegion(t, 44, r); }, "GET", "/api/regions/44/",
         "active=1", nullptr, ok(R"([{"id":3,"country":44}])")},
        {"getCountries", [](const Token& t, Report r) { return L::getCountries(t, r); }, "GET", "/api/countries/", "",
         nullptr, ok(R"([{"id":44,"iso_code":"GB"}])")},
        {"getCities", [](const Token&, Report r) { return L::getCities(3, std::nullopt, r); }, "GET", "/api/cities/3/",
         "", nullptr, ok(R"([{"id":9}])"), TokenRule::none},
        {"getCities search", [](const Token&, Report r) { return L::getCities(3, "St Albans", r); }, "GET",
         "/api/cities/3/", "search=St Albans", nullptr, ok("[]"), TokenRule::none},
        {"getS3ImageUploadURL", [](const Token& t, Report r) { return L::getS3ImageUploadURL(t, "M1", r); }, "POST",
         "/api/sign-s3/", "", R"({"subfolder":"members/images/","file_type":"image/png","acl_param":"public-read"})",
         ok(R"({"url":"u","signedRequest":"s"})"), TokenRule::upload},
        {"getS3ImageUploadReceiptURL", [](const Token& t, Report r) { return L::getS3ImageUploadReceiptURL(t, "M1", r); },
         "POST", "/api/sign-s3/", "", R"({"subfolder":"receipts/","file_type":"image/png","acl_param":"public-read"})",
         ok(R"({"url":"u"})"), TokenRule::upload},
        // Family groups.
        {"getFamilySummary", [](const Token& t, Report r) { return L::getFamilySummary(t, "M1", r); }, "GET",
         "/api/members/family_summary/M1/", "", nullptr, ok(R"({"size":2,"head":"M1"})")},
        {"getFamilyMembers", [](const Token& t, Report r) { return L::getFamilyMembers(t, "M1", r); }, "GET",
         "/api/members/family/M1/", "", nullptr, ok(R"([{"id":"M1"},{"id":"M2"}])")},
        {"createFamilyInvite email", [](const Token& t, Report r) { return L::createFamilyInvite(t, "M1", "a@x", r); },
         "POST", "/api/members/family/M1/invitations/", "", R"({"invitee_email":"a@x"})", ok(kInvite)},
        {"createFamilyInvite mobile",
         [](const Token& t, Report r) { return L::createFamilyInvite(t, "M1", "+4420", "Byron", "son", "Ada", r); },
         "POST", "/api/members/family/M1/invitations/", "",
         R"({"invitee_mobile":"+4420","invitee_given_name":"Byron","family_head_relationship":"son","inviter_name":"Ada"})",
         ok(kInvite)},
        {"createFamilyInviteByMinor",
         [](const Token& t, Report r) { return L::createFamilyInviteByMinor(t, "M1", "a@x", "10/12/2015", r); }, "POST",
         "/api/members/family/M1/invitations/", "",
         R"({"invitee_email":"a@x","invitee_is_minor":true,"invitee_dob":"10/12/2015"})", ok(kInvite)},
        {"getAllFamilyInvites", [](const Token& t, Report r) { return L::getAllFamilyInvites(t, "M1", false, r); },
         "GET", "/api/members/family/M1/invitations/", "", nullptr, ok("[]")},
        {"getAllFamilyInvites received", [](const Token& t, Report r) { return L::getAllFamilyInvites(t, "M1", true, r); },
         "GET", "/api/members/family/M1/invitations/", "type=received", nullptr, ok(std::string("[") + kInvite + "]")},
        {"retreiveFamilyMemberInvite", [](const Token& t, Report r) { return L::retreiveFamilyMemberInvite(t, "M1", 7, r); },
         "GET", "/api/members/family/M1/invitations/7/", "", nullptr, ok(kInvite)},
        {"familyMemberInviteAction", [](const Token& t, Report r) { return L::familyMemberInviteAction(t, "M1", 7, true, r); },
         "POST", "/api/members/family/M1/invitations/7/action/", "", R"({"status":"accepted"})",
         ok(R"({"status":"accepted"})")},
        {"familyMemberInviteAction reject",
         [](const Token& t, Report r) { return L::familyMemberInviteAction(t, "M1", 7, false, r); }, "POST",
         "/api/members/family/M1/invitations/7/action/", "", R"({"status":"rejected"})", ok("{}")},
        {"deleteFamily", [](const Token& t, Report r) { return L::deleteFamily(t, "M1", r); }, "DELETE",
         "/api/members/family/M1/", "", nullptr, Reply(204)},
        {"leaveFamily", [](const Token& t, Report r) { return L::leaveFamily(t, "M1", r); }, "POST",
         "/api/members/family/M1/leave/", "", nullptr, Reply(200, "left")},
        // Referral, member look-up, logout and the mobile pass.
        {"memberReferral",
         [](const Token& t, Report r) {
             return L::memberReferral(t, JsonValue(JsonObject{{"emails", JsonArray{"b@x"}}}), r);
         },
         "POST", "/api/members/referral/", "", R"({"emails":["b@x"]})", ok(R"({"data":"sent"})")},
        {"lookupMember", [](const Token& t, Report r) { return L::lookupMember(t, {{"email", "a@x"}, {"n", 2}}, r); },
         "GET", "/api/members/lookup/", "email=a@x&n=2", nullptr, ok(R"({"id":"M1"})")},
        {"logout", [](const Token& t, Report r) { return L::logout(t, r); }, "POST", "/api/logout/", "", nullptr,
         ok(R"({"message":"bye"})")},
        {"getMobilePass", [](const Token& t, Report r) { return L::getMobilePass(t, "M1", r); }, "GET",
         "/api/members/M1/passes", "", nullptr, ok(R"({"url":"p"})")},
    };
}

TEST_F(LookupCallsTest, EachCallSendsItsRequestAndDecodesItsReply) {
    std::set<std::string> fileNames;
    for (const auto& c : calls()) {
        SCOPED_TRACE(c.name);
        server.on(c.method, c.path, c.reply);
        Report report;
        const Handle handle = c.start("t", report);
        ASSERT_TRUE(test::waitFor([&] { return report.outcome->has_value(); }));
        EXPECT_TRUE(handle);
        EXPECT_TRUE(report.outcome->value().has_value()) << report.outcome->value().error().description();
        const auto request = sent();
        EXPECT_EQ(request.method, c.method);
        EXPECT_EQ(request.path, c.path);
        EXPECT_EQ(parsedQuery(request.query), parsedQuery(c.query));
        JsonValue body = request.body.empty() ? JsonValue() : parse(request.body);
        if (c.rule == TokenRule::upload) {
            const std::string name(body.at("file_name").as_string());
            EXPECT_TRUE(wellFormedFileName(name, "M1")) << name;
            fileNames.insert(name);
            body.as_object().erase("file_name");
        }
        EXPECT_EQ(body, c.body ? parse(c.body) : JsonValue());
        EXPECT_EQ(sentHeader("Content-Type").has_value(), c.body != nullptr);
        EXPECT_EQ(sentHeader("x-api-key"), "key");
        EXPECT_EQ(sentHeader("Authorization"), c.rule == TokenRule::none ? std::nullopt : std::optional("JWT t"));
    }
    EXPECT_EQ(fileNames.size(), 2u);
}

TEST_F(LookupCallsTest, TokenRulesWithAndWithoutAStoredToken) {
    server.otherwise(Reply::json("{}"));
    for (const std::optional<std::string>& stored : {std::optional<std::string>("stored"), std::optional<std::string>()}) {
        store().setToken(stored);
        for (const auto& c : calls()) {
            SCOPED_TRACE(std::string(c.name) + (stored ? " with a stored token" : " with none"));
            const bool sends = c.rule == TokenRule::none || (c.rule == TokenRule::standard && stored);
            const auto before = server.requestCount();
            Report report;
            const Handle handle = c.start(std::nullopt, report);
            EXPECT_EQ(report.outcome->has_value(), !sends);  // a refusal is reported before the call returns
            EXPECT_EQ(handle != nullptr, sends);
            ASSERT_TRUE(test::waitFor([&] { return report.outcome->has_value(); }));
            if (!sends) test::settle();  // a stray request would show by now
            ASSERT_EQ(server.requestCount() - before, sends ? 1u : 0u);
            if (!sends) {
                EXPECT_EQ(report.outcome->value().error().kind(), Kind::invalidToken);
                continue;
            }
            EXPECT_EQ(sentHeader("Authorization"), c.rule == TokenRule::none ? std::nullopt : std::optional("JWT stored"));
        }
    }
}

TEST_F(LookupCallsTest, UploadNamesAreDistinctAndWellFormed) {
    std::set<std::string> names;
    for (int i = 0; i < 5000; ++i) {
        auto name = detail::service::imageFileName("M-1001");
        EXPECT_TRUE(wellFormedFileName(name, "M-1001")) << name;
        names.insert(std::move(name));
    }
    EXPECT_EQ(names.size(), 5000u);
}

TEST_F(LookupCallsTest, LogoutAndMobilePassDecodeFlatTextObjects) {
    const std::pair<const char*, std::optional<TextMap>> replies[] = {
        {R"({"message":"bye","status":"ok"})", TextMap{{"message", "bye"}, {"status", "ok"}}},
        {"{}", TextMap{}},
        {R"({"message":null})", std::nullopt},
        {R"({"message":"bye","code":200})", std::nullopt},
        {R"({"message":{"text":"bye"}})", std::nullopt},
        {R"(["bye"])", std::nullopt},
    };
    for (const auto& [reply, expected] : replies) {
        SCOPED_TRACE(reply);
        server.on("POST", "/api/logout/", Reply::json(reply));
        server.on("GET", "/api/members/M1/passes", Reply::json(reply));
        const Call<TextMap> logout([](auto done) { return LumenoRequest::logout("t", done); });
        const Call<TextMap> pass([](auto done) { return LumenoRequest::getMobilePass("t", "M1", done); });
        for (const auto* call : {&logout, &pass}) {
            ASSERT_EQ(call->result->has_value(), expected.has_value());
            if (expected) EXPECT_EQ(call->value(), *expected);
            else EXPECT_EQ(call->error().kind(), Kind::objectMapping);
        }
    }
}

TEST_F(LookupCallsTest, LogoutLeavesTheStoredSession) {
    storeEarlierSession();
    const auto items = [] {
        std::vector<std::optional<std::string>> out;
        for (const char* key : {"user", "token", "expiry", "sessionTypePassword"}) out.push_back(item(key));
        out.push_back(std::to_string(store().keychain().integer("sessionTypeKey").value_or(-1)));
        return out;
    };
    const auto before = items();
    for (const Reply& reply : {Reply::json(R"({"message":"bye"})"), Reply::json("{}", 401)}) {
        server.on("POST", "/api/logout/", reply);
        const Call<TextMap> logout([](auto done) { return LumenoRequest::logout(std::nullopt, done); });
        EXPECT_EQ(logout.result->has_value(), reply.status == 200);
        EXPECT_EQ(sentHeader("Authorization"), "JWT old-token");
        EXPECT_EQ(items(), before);
    }
}

TEST_F(LookupCallsTest, UploadAddressComesFromEitherKeySpelling) {
    const std::pair<const char*, const char*> replies[] = {
        {R"({"url":"u","signedRequest":"camel","signed_request":"snake"})", "camel"},
        {R"({"url":"u","signed_request":"snake"})", "snake"},
    };
    for (const auto& [reply, expected] : replies) {
        server.on("POST", "/api/sign-s3/", Reply::json(reply));
        const Call<S3ImageResponse> upload([](auto done) { return LumenoRequest::getS3ImageUploadURL("t", "M1", done); });
        EXPECT_EQ(upload.value().signedRequest, expected);
    }
}

}  // namespace
