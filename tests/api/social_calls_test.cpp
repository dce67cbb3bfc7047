#include <gtest/gtest.h>

#include "support/call_test.hpp"

using namespace std::chrono_literals;

namespace lumeno::test {
namespace {

using SocialCallsTest = CallTest;

// The calls as the tables start them.
Handle facebookSignIn(const Token&, Completion<void> done) {
    return LumenoRequest::enrollMemberFB("fb1", "access", statusOnly<MemberResponse>(std::move(done)));
}
Handle googleSignIn(const Token&, Completion<void> done) {
    return LumenoRequest::authenticateMemberGoogle("g1", "google-id-token", statusOnly<MemberResponse>(std::move(done)));
}
Handle appleCheck(const Token&, Completion<void> done) {
    return LumenoRequest::getMemberStatusApple("a1", statusOnly<AppleStatus>(std::move(done)));
}
Handle appleSignIn(const Token&, Completion<void> done) {
    return LumenoRequest::authenticateMemberApple(AppleLoginDetails("code", "Ada", "Lovelace", "ada@example.com"),
                                                  statusOnly<MemberResponse>(std::move(done)));
}
Handle facebookLink(const Token& token, Completion<void> done) {
    return LumenoRequest::linkFacebook(token, "M1", "fb1", "access", statusOnly<MemberResponse>(std::move(done)));
}
Handle appleLink(const Token& token, Completion<void> done) {
    return LumenoRequest::linkApple(token, "code", statusOnly<MemberResponse>(std::move(done)));
}
Handle googleLink(const Token& token, Completion<void> done) {
    return LumenoRequest::linkGoogle(token, "google-id-token", "g1", statusOnly<MemberResponse>(std::move(done)));
}
Handle delink(const Token& token, Completion<void> done) {
    return LumenoRequest::delinkSocial(token, "facebook", statusOnly<SocialDelinkResponse>(std::move(done)));
}

TEST_F(SocialCallsTest, WhatEachCallSends) {
    using enum TokenRule;
    const CallRow calls[] = {
        {"enrollMemberFB", facebookSignIn, "POST", "/members/social/facebook/login/",
         R"({"facebook_id":"fb1","access_token":"access"})", none},
        // Google's identity token goes in the body, never in "Authorization".
        {"authenticateMemberGoogle", googleSignIn, "POST", "/members/social/google/login/",
         R"({"google_id":"g1","id_token":"google-id-token"})", none},
        {"getMemberStatusApple", appleCheck, "POST", "/members/apple-exists/", R"({"apple_uid":"a1"})", none},
        {"authenticateMemberApple", appleSignIn, "POST", "/members/social/apple/login/", R"({"code":"code"})", none},
        {"linkFacebook", facebookLink, "POST", "/members/social/facebook/link/",
         R"({"facebook_id":"fb1","access_token":"access","member_id":"M1"})"},
        {"linkApple", appleLink, "POST", "/members/social/apple/link/", R"({"code":"code"})"},
        {"linkGoogle", googleLink, "POST", "/members/social/google/link/",
         R"({"id_token":"google-id-token","google_id":"g1"})"},
        {"delinkSocial", delink, "POST", "/members/social/facebook/delink/", ""},
    };
    checkCalls(calls);
}

TEST_F(SocialCallsTest, WhatEachCallStoresAndInWhichOrder) {
    const Reply linked = Reply::json(R"({"token":"new","expires_in":"60","success":true})");
    const struct {
        const char* name;
        StartCall start;
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
    for (const auto start : {facebookSignIn, googleSignIn, appleSignIn, facebookLink})
        for (const auto& reply : failures)
            for (const auto from : {Session::none, Session::password})
                EXPECT_EQ(writesOf(start, reply, from), std::vector<std::string>{}) << reply.status << reply.body;
}

}  // namespace
}  // namespace lumeno::test
