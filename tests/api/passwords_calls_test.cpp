#include <gtest/gtest.h>

#include <boost/json/parse.hpp>

#include "support/call_table.hpp"

namespace lumeno::test {
namespace {

using PasswordCallsTest = CallTableTest;
using R = LumenoRequest;

// The two calls that store the new password.
const Start setPassword =
    [](auto&, auto done) { return R::setMemberPassword("chosen", "otp", done); };
const Start changePassword =
    [](auto& t, auto done) { return R::changePassword(t, "old", "new", done); };

TEST_F(PasswordCallsTest, WhatEachCallSends) {
    const Reply ok = Reply::json("{}");
    using enum TokenRule;
    checkEachCall({
        {"getPasswordStatus",
         [](auto&, auto d) { return R::getPasswordStatus("email", "ada@example.com", d); },
         "POST", "/api/members/password-exists/", {}, R"({"email":"ada@example.com"})", ok, none},
        {"setMemberPassword", setPassword, "POST", "/api/accounts/choose-password/", {}, R"({"password":"chosen"})", ok,
         otp},
        {"changePassword", changePassword, "PUT", "/api/accounts/change-password/", {},
         R"({"current_password":"old","password":"new"})", ok},
        {"resetPassword", [](auto&, auto d) {
             return R::resetPassword(JsonObject{{"email", "ada@example.com"}}, "captcha", "site", d);
         },
         "POST", "/api/accounts/reset-password/", {}, R"({"email":"ada@example.com"})", ok, none},
        {"doResetPassword",
         [](auto&, auto d) { return R::doResetPassword("email", "ada@example.com", "new", "rk", d); },
         "POST", "/api/accounts/do-reset-password/", {},
         R"({"email":"ada@example.com","new_password":"new","reset_key":"rk"})", ok, none},
        {"registerDevice", [](auto& t, auto d) { return R::registerDevice(t, "M1", "d1", "ios", d); },
         "POST", "/api/members/devices/", {}, R"({"member":"M1","device":"d1","platform":"ios"})", ok},
        {"deleteDevice", [](auto& t, auto d) { return R::deleteDevice(t, "d1", d); }, "DELETE",
         "/api/members/devices/", {}, R"({"device":"d1"})", ok},
        {"sendOtp", [](auto& t, auto d) { return R::sendOtp(t, "mobile", "+4420", d); }, "POST",
         "/api/members/send-otp/", {}, R"({"mobile":"+4420"})", ok, argument},
        {"generateOTPForService",
         [](auto& t, auto d) { return R::generateOTPForService(OTPServiceType::signIn, t, "M1", d); },
         "POST", "/api/members/M1/otp/", {}, R"({"action":"GENERATE","service":"SIGN_IN_OTP"})", ok},
        {"validateOTP",
         [](auto& t, auto d) { return R::validateOTP(OTPServiceType::redemption, t, "M1", "123456", d); },
         "POST", "/api/members/M1/otp/", {},
         R"({"member_id":"M1","action":"VALIDATE","otp":"123456","service":"REDEMPTION_OTP"})", ok},
    });
}

TEST_F(PasswordCallsTest, SetAndChangeStoreThePasswordSessionOnlyOnSuccess) {
    const Reply withToken = Reply::json(R"({"message":"ok","token":"not-stored","expires_in":"5"})");
    const std::vector<std::string> changed{"set sessionTypeKey=0", "set sessionTypePassword=new"};
    EXPECT_EQ(writesOf(changePassword, withToken, Session::social), changed);
    EXPECT_EQ(writesOf(changePassword, withToken, Session::password), changed);
    EXPECT_EQ(writesOf(setPassword, Reply::json(R"({"status":"ok"})"), Session::none),
              (std::vector<std::string>{"set sessionTypeKey=0", "set sessionTypePassword=chosen"}));

    const Reply failures[] = {Reply::json(R"({"errors":[{"code":"password_too_short"}]})", 400), Reply(200, "[]")};
    for (const auto& start : {changePassword, setPassword})
        for (const auto& reply : failures)
            for (const auto from : {Session::social, Session::password})
                EXPECT_EQ(writesOf(start, reply, from), std::vector<std::string>{}) << reply.status << reply.body;
}

TEST_F(PasswordCallsTest, PasswordPathsAreReadWhenTheRequestIsBuilt) {
    const auto setPath = [](std::string path) {
        Lumeno::shared().updateSettings([&](LumenoSettings& settings) { settings.changePasswordEndpoint = path; });
    };
    const std::string defaultPath = Lumeno::shared().settings()->changePasswordEndpoint;
    setPath("/v9/password/");
    server.otherwise(Reply::json("{}"));
    const Call<ChangePasswordResponse> call([](auto done) { return R::changePassword("t", "o", "n", done); });
    setPath(defaultPath);
    EXPECT_EQ(sent().path, "/api/v9/password/");
}

TEST_F(PasswordCallsTest, ResetBodyKeepsItsFixedKeys) {
    server.otherwise(Reply(204));
    const std::pair<const char*, const char*> cases[] = {
        {"reset_key", R"({"reset_key":"rk","new_password":"pw"})"},
        {"new_password", R"({"new_password":"pw","reset_key":"rk"})"},
    };
    for (const auto& [attribute, body] : cases) {
        const Call<void> call(
            [&](auto done) { return R::doResetPassword(attribute, "chosen-by-caller", "pw", "rk", done); });
        EXPECT_EQ(boost::json::parse(sent().body), boost::json::parse(body)) << attribute;
    }
}

}  // namespace
}  // namespace lumeno::test
