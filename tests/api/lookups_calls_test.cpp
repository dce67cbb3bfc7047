#include <gtest/gtest.h>

#include <boost/json.hpp>

#include <algorithm>
#include <set>

#include "core/service/lumeno_service.hpp"
#include "support/call_table.hpp"

using namespace lumeno;
using boost::json::parse;
using test::Reply;
using Kind = LumenoError::Kind;

namespace {

using LookupCallsTest = test::CallTableTest;
using test::Call;
using TextMap = std::map<std::string, std::string>;

bool wellFormedFileName(std::string_view name, std::string_view memberId) {
    const auto random = name.substr(std::min(name.size(), memberId.size() + 1), 6);
    return name.size() == memberId.size() + 11 && name.starts_with(memberId) && name[memberId.size()] == '-' &&
           name.ends_with(".png") && std::ranges::all_of(random, [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

const char* const kInvite = R"({"id":7,"status":"pending","invitee_email":"kid@example.com"})";

TEST_F(LookupCallsTest, EveryCallSendsItsCase) {
    using L = LumenoRequest;
    using enum test::TokenRule;
    const auto ok = [](std::string body) { return Reply::json(std::move(body)); };
    std::set<std::string> fileNames;
    const auto uploadName = [&fileNames](JsonValue& body) {
        const std::string name(body.at("file_name").as_string());
        EXPECT_TRUE(wellFormedFileName(name, "M1")) << name;
        fileNames.insert(name);
        body.as_object().erase("file_name");
    };
    checkEachCall({
        // Reference data and uploads.
        {"getLoginAttribute", [](auto& t, auto d) { return L::getLoginAttribute(t, d); }, "GET",
         "/api/login-attributes/", {}, nullptr, ok(R"({"attribute":"email"})")},
        {"getLookUps", [](auto& t, auto d) { return L::getLookUps(t, "gender", d); }, "GET", "/api/lookups/",
         {{"active", "1"}, {"type", "gender"}}, nullptr, ok(R"([{"id":1,"name":"Female"}])")},
        {"getAllLookUps", [](auto& t, auto d) { return L::getAllLookUps(t, d); }, "GET", "/api/lookups/", {},
         nullptr, ok("[]")},
        {"getBalanceTagNames", [](auto& t, auto d) { return L::getBalanceTagNames(t, d); }, "GET",
         "/api/loyaltyaccounts/1/tags", {{"active", "1"}, {"page_size", "1000"}}, nullptr,
         ok(R"([{"id":1,"name":"Gold"}])")},
        {"getRegion", [](auto& t, auto d) { return L::getRegion(t, "United Kingdom", d); }, "GET", "/api/regions/",
         {{"active", "1"}, {"country__name", "United Kingdom"}}, nullptr, ok(R"([{"id":3,"country":44}])")},
        {"fetchRegion", [](auto& t, auto d) { return L::fetchRegion(t, 44, d); }, "GET", "/api/regions/44/",
         {{"active", "1"}}, nullptr, ok(R"([{"id":3,"country":44}])")},
        {"getCountries", [](auto& t, auto d) { return L::getCountries(t, d); }, "GET", "/api/countries/", {},
         nullptr, ok(R"([{"id":44,"iso_code":"GB"}])")},
        {"getCities", [](auto&, auto d) { return L::getCities(3, std::nullopt, d); }, "GET", "/api/cities/3/",
         {}, nullptr, ok(R"([{"id":9}])"), none},
        {"getCities search", [](auto&, auto d) { return L::getCities(3, "St Albans", d); }, "GET",
         "/api/cities/3/", {{"search", "St Albans"}}, nullptr, ok("[]"), none},
        {"getS3ImageUploadURL", [](auto& t, auto d) { return L::getS3ImageUploadURL(t, "M1", d); }, "POST",
         "/api/sign-s3/", {}, R"({"subfolder":"members/images/","file_type":"image/png","acl_param":"public-read"})",
         ok(R"({"url":"u","signedRequest":"s"})"), argumentRequired, uploadName},
        {"getS3ImageUploadReceiptURL", [](auto& t, auto d) { return L::getS3ImageUploadReceiptURL(t, "M1", d); },
         "POST", "/api/sign-s3/", {}, R"({"subfolder":"receipts/","file_type":"image/png","acl_param":"public-read"})",
         ok(R"({"url":"u"})"), argumentRequired, uploadName},
        // Family groups.
        {"getFamilySummary", [](auto& t, auto d) { return L::getFamilySummary(t, "M1", d); }, "GET",
         "/api/members/family_summary/M1/", {}, nullptr, ok(R"({"size":2,"head":"M1"})")},
        {"getFamilyMembers", [](auto& t, auto d) { return L::getFamilyMembers(t, "M1", d); }, "GET",
         "/api/members/family/M1/", {}, nullptr, ok(R"([{"id":"M1"},{"id":"M2"}])")},
        {"createFamilyInvite email", [](auto& t, auto d) { return L::createFamilyInvite(t, "M1", "a@x", d); },
         "POST", "/api/members/family/M1/invitations/", {}, R"({"invitee_email":"a@x"})", ok(kInvite)},
        {"createFamilyInvite mobile",
         [](auto& t, auto d) { return L::createFamilyInvite(t, "M1", "+4420", "Byron", "son", "Ada", d); },
         "POST", "/api/members/family/M1/invitations/", {},
         R"({"invitee_mobile":"+4420","invitee_given_name":"Byron","family_head_relationship":"son","inviter_name":"Ada"})",
         ok(kInvite)},
        {"createFamilyInviteByMinor",
         [](auto& t, auto d) { return L::createFamilyInviteByMinor(t, "M1", "a@x", "10/12/2015", d); }, "POST",
         "/api/members/family/M1/invitations/", {},
         R"({"invitee_email":"a@x","invitee_is_minor":true,"invitee_dob":"10/12/2015"})", ok(kInvite)},
        {"getAllFamilyInvites", [](auto& t, auto d) { return L::getAllFamilyInvites(t, "M1", false, d); },
         "GET", "/api/members/family/M1/invitations/", {}, nullptr, ok("[]")},
        {"getAllFamilyInvites received", [](auto& t, auto d) { return L::getAllFamilyInvites(t, "M1", true, d); },
         "GET", "/api/members/family/M1/invitations/", {{"type", "received"}}, nullptr,
         ok(std::string("[") + kInvite + "]")},
        {"retreiveFamilyMemberInvite", [](auto& t, auto d) { return L::retreiveFamilyMemberInvite(t, "M1", 7, d); },
         "GET", "/api/members/family/M1/invitations/7/", {}, nullptr, ok(kInvite)},
        {"familyMemberInviteAction", [](auto& t, auto d) { return L::familyMemberInviteAction(t, "M1", 7, true, d); },
         "POST", "/api/members/family/M1/invitations/7/action/", {}, R"({"status":"accepted"})",
         ok(R"({"status":"accepted"})")},
        {"familyMemberInviteAction reject",
         [](auto& t, auto d) { return L::familyMemberInviteAction(t, "M1", 7, false, d); }, "POST",
         "/api/members/family/M1/invitations/7/action/", {}, R"({"status":"rejected"})", ok("{}")},
        {"deleteFamily", [](auto& t, auto d) { return L::deleteFamily(t, "M1", d); }, "DELETE",
         "/api/members/family/M1/", {}, nullptr, Reply(204)},
        {"leaveFamily", [](auto& t, auto d) { return L::leaveFamily(t, "M1", d); }, "POST",
         "/api/members/family/M1/leave/", {}, nullptr, Reply(200, "left")},
        // Referral, member look-up, logout and the mobile pass.
        {"memberReferral",
         [](auto& t, auto d) {
             return L::memberReferral(t, JsonValue(JsonObject{{"emails", JsonArray{"b@x"}}}), d);
         },
         "POST", "/api/members/referral/", {}, R"({"emails":["b@x"]})", ok(R"({"data":"sent"})")},
        {"lookupMember", [](auto& t, auto d) { return L::lookupMember(t, {{"email", "a@x"}, {"n", 2}}, d); },
         "GET", "/api/members/lookup/", {{"email", "a@x"}, {"n", "2"}}, nullptr, ok(R"({"id":"M1"})")},
        {"logout", [](auto& t, auto d) { return L::logout(t, d); }, "POST", "/api/logout/", {}, nullptr,
         ok(R"({"message":"bye"})")},
        {"getMobilePass", [](auto& t, auto d) { return L::getMobilePass(t, "M1", d); }, "GET",
         "/api/members/M1/passes", {}, nullptr, ok(R"({"url":"p"})")},
    });
    EXPECT_EQ(fileNames.size(), 4u);  // each upload request, with a token and with an empty one, names a new file
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
