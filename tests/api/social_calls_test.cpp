#include <gtest/gtest.h>

#include <limits>

#include "support/call_table.hpp"

using namespace std::chrono_literals;

namespace lumeno::test {
namespace {

using SocialCallsTest = CallTableTest;
using R = LumenoRequest;

// The calls as the tables start them.
const Start facebookSignIn =
    [](auto&, auto done) { return R::enrollMemberFB("fb1", "access", done); };
const Start googleSignIn =
    [](auto&, auto done) { return R::authenticateMemberGoogle("g1", "google-id-token", done); };
const Start appleCheck = [](auto&, auto done) { return R::getMemberStatusApple("a1", done); };
const Start appleSignIn = [](auto&, auto done) {
    return R::authenticateMemberApple(AppleLoginDetails("code", "Ada", "Lovelace", "ada@example.com"), done);
};
const Start facebookLink =
    [](auto& t, auto done) { return R::linkFacebook(t, "M1", "fb1", "access", done); };
const Start appleLink = [](auto& t, auto done) { return R::linkApple(t, "code", done); };
const Start googleLink =
    [](auto& t, auto done) { return R::linkGoogle(t, "google-id-token", "g1", done); };
const Start delink = [](auto& t, auto done) { return R::delinkSocial(t, "facebook", done); };

TEST_F(SocialCallsTest, WhatEachCallSends) {
    const Reply ok = Reply::json("{}");
    using enum TokenRule;
    checkEachCall({
        {"enrollMemberFB", facebookSignIn, "POST", "/api/members/social/facebook/login/", {},
         R"({"facebook_id":"fb1","access_token":"access"})", ok, none},
        // Google's identity token goes in the body, never in "Authorization".
        {"authenticateMemberGoogle", googleSignIn, "POST", "/api/members/social/google/login/", {},
         R"({"google_id":"g1","id_token":"google-id-token"})", ok, none},
        {"getMemberStatusApple", appleCheck, "POST", "/api/members/apple-exists/", {}, R"({"apple_uid":"a1"})", ok, none},
        {"authenticateMemberApple", appleSignIn, "POST", "/api/members/social/apple/login/", {}, R"({"code":"code"})",
         ok, none},
        {"linkFacebook", facebookLink, "POST", "/api/members/social/facebook/link/", {},
         R"({"facebook_id":"fb1","access_token":"access","member_id":"M1"})", ok},
        {"linkApple", appleLink, "POST", "/api/members/social/apple/link/", {}, R"({"code":"code"})", ok},
        {"linkGoogle", googleLink, "POST", "/api/members/social/google/link/", {},
         R"({"id_token":"google-id-token","google_id":"g1"})", ok},
        {"delinkSocial", delink, "POST", "/api/members/social/facebook/delink/", {}, nullptr, ok},
    });
}

TEST_F(SocialCallsTest, WhatEachCallStoresAndInWhichOrder) {
    const Reply linked = Reply::json(R"({"token":"new","expires_in":"60","success":true})");
    const struct {
        const char* name;
        Start start;
        Reply reply;
        Session from;
        std::vector<std::string> writes;
        std::optional<std::chrono::seconds> expiresAfter = std::nullopt;
    } cases[] = {
        {"Google sign-in after a password login", googleSignIn,
         Reply::json(R"({"token":"g1","expires_in":"7200","success":true})"), Session::password,
         {"set token=g1", "set expiry", "set sessionTypeKey=1"}, 7080s},
        {"Facebook sign-in, lifetime no number", facebookSignIn, Reply::json(R"({"token":"f1","expires_in":"abc"})"),
         Session::none, {"set token=f1", "set expiry", "set sessionTypeKey=1"}, 0s},
        {"Apple sign-in without a token", appleSignIn, Reply::json(R"({"success":true})"), Session::password,
         {"remove token", "remove expiry", "set sessionTypeKey=1"}},
        {"Facebook link after a password login", facebookLink, linked, Session::password,
         {"set token=new", "set expiry"}, -60s},
        {"Facebook link without a lifetime", facebookLink, Reply::json(R"({"token":"l2"})"), Session::social,
         {"set token=l2", "remove expiry"}},
        // A link that succeeds without a token keeps the working token and its expiry.
        {"Facebook link without a token", facebookLink, Reply::json(R"({"expires_in":"60","success":true})"),
         Session::password, {}},
        {"Apple link", appleLink, linked, Session::password, {}},
        {"Google link", googleLink, linked, Session::social, {}},
        {"Apple check", appleCheck, Reply::json(R"({"exists":true})"), Session::password, {}},
        {"de-link that says log out", delink, Reply::json(R"({"social_delink":true,"logout":true})"),
         Session::password, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = std::chrono::floor<std::chrono::milliseconds>(std::chrono::system_clock::now());
        EXPECT_EQ(writesOf(c.start, c.reply, c.from), c.writes);
        const auto after = std::chrono::system_clock::now();
        if (c.expiresAfter) {
            const auto expiry = store().expiryDate();
            ASSERT_TRUE(expiry.has_value());
            EXPECT_GE(*expiry, before + *c.expiresAfter);
            EXPECT_LE(*expiry, after + *c.expiresAfter);
        }
    }
}

TEST_F(SocialCallsTest, FailuresStoreNothing) {
    const Reply failures[] = {Reply::json(R"({"errors":[{"code":"authentication_failed"}]})", 401),
                              Reply::json(R"({"token":"t","success":"yes"})"), Reply(200)};
    for (const auto& start : {facebookSignIn, googleSignIn, appleSignIn, facebookLink})
        for (const auto& reply : failures)
            for (const auto from : {Session::none, Session::password})
                EXPECT_EQ(writesOf(start, reply, from), std::vector<std::string>{}) << reply.status << reply.body;
}

TEST_F(SocialCallsTest, AStoreThatStopsPartWayLeavesTheEarlierSessionOrTheNewOneWhole) {
    const Start enrolment = [](auto&, auto done) {
        return R::enrollMember(JsonValue(JsonObject{{"email", "ada@example.com"}}), EnrollmentType::normal,
                               std::nullopt, std::nullopt, done);
    };
    const struct {
        const char* name;
        Start start;
        Reply reply;
    } cases[] = {
        {"Google sign-in", googleSignIn, Reply::json(R"({"token":"g1","expires_in":"7200"})")},
        {"Apple sign-in without a token", appleSignIn, Reply::json(R"({"success":true})")},
        {"Facebook link", facebookLink, Reply::json(R"({"token":"l1","expires_in":"60"})")},
        {"enrolment", enrolment, Reply::json(R"({"id":"M1","token":"e1","expires_in":"3600"})", 201)},
    };
    const std::string earlierExpiry = "2030-01-02T03:04:05.000+0000";
    // The five items; a date other than the earlier session's expiry shows as "new".
    const auto stored = [&] {
        std::string text;
        for (auto key : {CredentialsManager::userKey, CredentialsManager::tokenKey, CredentialsManager::sessionTypeKey,
                         CredentialsManager::sessionTypePasswordKey, CredentialsManager::expiryKey}) {
            auto value = item(key);
            if (key == CredentialsManager::expiryKey && value != earlierExpiry && store().expiryDate()) value = "new";
            text += std::string(key) + "=" + value.value_or("-") + " ";
        }
        return text;
    };
    constexpr auto all = std::numeric_limits<std::size_t>::max();
    for (const auto& c : cases) {
        server.otherwise(c.reply);
        std::string before, after;
        // The store accepts k changes of the call's, then refuses every one; the first run, with
        // the store working, gives the new session.
        for (const std::size_t k : {all, std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{3},
                                    std::size_t{4}, std::size_t{5}}) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(k) + " changes accepted");
            recording->acceptOnly(all);
            storeSession(Session::password);
            store().setExpiryDateString(earlierExpiry);
            before = stored();
            recording->acceptOnly(k);
            std::optional<Seen> seen;
            c.start("given", [&](Seen s) { seen = std::move(s); });
            ASSERT_TRUE(test::waitFor([&] { return seen.has_value(); }));
            EXPECT_FALSE(*seen);  // a write the store refused is not reported
            recording->acceptOnly(all);
            if (k == all) after = stored();
            const std::string seenItems = stored();
            EXPECT_TRUE(seenItems == before || seenItems == after) << seenItems;
        }
        EXPECT_NE(before, after);
    }
}

}  // namespace
}  // namespace lumeno::test
