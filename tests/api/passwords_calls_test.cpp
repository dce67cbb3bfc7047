#include <gtest/gtest.h>

#include <boost/json/parse.hpp>

#include "support/call_test.hpp"

namespace lumeno::test {
namespace {

using PasswordCallsTest = CallTest;

// The calls as the tables start them.
Handle passwordStatus(const Token&, Completion<void> done) {
    return LumenoRequest::getPasswordStatus("email", "ada@example.com", statusOnly<PasswordStatus>(std::move(done)));
}
Handle setPassword(const Token&, Completion<void> done) {
    return LumenoRequest::setMemberPassword("chosen", "otp", statusOnly<ChangePasswordResponse>(std::move(done)));
}
Handle changePassword(const Token& token, Completion<void> done) {
    return LumenoRequest::changePassword(token, "old", "new", statusOnly<ChangePasswordResponse>(std::move(done)));
}
Handle resetPassword(const Token&, Completion<void> done) {
    return LumenoRequest::resetPassword(JsonObject{{"email", "ada@example.com"}}, "captcha", "site", std::move(done));
}
Handle doResetPassword(const Token&, Completion<void> done) {
    return LumenoRequest::doResetPassword("email", "ada@example.com", "new", "rk", std::move(done));
}
Handle registerDevice(const Token& token, Completion<void> done) {
    return LumenoRequest::registerDevice(token, "M1", "d1", "ios", std::move(done));
}
Handle deleteDevice(const Token& token, Completion<void> done) {
    return LumenoRequest::deleteDevice(token, "d1", std::move(done));
}
Handle sendOtp(const Token& token, Completion<void> done) {
    return LumenoRequest::sendOtp(token, "mobile", "+4420", std::move(done));
}
Handle generateOtp(const Token& token, Completion<void> done) {
    return LumenoRequest::generateOTPForService(OTPServiceType::signIn, token, "M1", std::move(done));
}
Handle validateOtp(const Token& token, Completion<void> done) {
    return LumenoRequest::validateOTP(OTPServiceType::redemption, token, "M1", "123456", std::move(done));
}

TEST_F(PasswordCallsTest, WhatEachCallSends) {
    using enum TokenRule;
    const CallRow calls[] = {
        {"getPasswordStatus", passwordStatus, "POST", "/members/password-exists/", R"({"email":"ada@example.com"})",
         none},
        {"setMemberPassword", setPassword, "POST", "/accounts/choose-password/", R"({"password":"chosen"})", otp},
        {"changePassword", changePassword, "PUT", "/accounts/change-password/",
         R"({"current_password":"old","password":"new"})"},
        {"resetPassword", resetPassword, "POST", "/accounts/reset-password/", R"({"email":"ada@example.com"})", none},
        {"doResetPassword", doResetPassword, "POST", "/accounts/do-reset-password/",
         R"({"email":"ada@example.com","new_password":"new","reset_key":"rk"})", none},
        {"registerDevice", registerDevice, "POST", "/members/devices/",
         R"({"member":"M1","device":"d1","platform":"ios"})"},
        {"deleteDevice", deleteDevice, "DELETE", "/members/devices/", R"({"device":"d1"})"},
        {"sendOtp", sendOtp, "POST", "/members/send-otp/", R"({"mobile":"+4420"})", argument},
        {"generateOTPForService", generateOtp, "POST", "/members/M1/otp/",
         R"({"action":"GENERATE","service":"SIGN_IN_OTP"})"},
        {"validateOTP", validateOtp, "POST", "/members/M1/otp/",
         R"({"member_id":"M1","action":"VALIDATE","otp":"123456","service":"REDEMPTION_OTP"})"},
    };
    checkCalls(calls);
}

TEST_F(PasswordCallsTest, SetAndChangeStoreThePasswordSessionOnlyOnSuccess) {
    const Reply withToken = Reply::json(R"({"message":"ok","token":"not-stored","expires_in":"5"})");
    const std::vector<std::string> changed{"set sessionTypeKey=0", "set sessionTypePassword=new"};
    EXPECT_EQ(writesOf(changePassword, withToken, Session::social), changed);
    EXPECT_EQ(writesOf(changePassword, withToken, Session::password), changed);
    EXPECT_EQ(writesOf(setPassword, Reply::json(R"({"status":"ok"})"), Session::none),
              (std::vector<std::string>{"set sessionTypeKey=0", "set sessionTypePassword=chosen"}));

    const Reply failures[] = {Reply::json(R"({"errors":[{"code":"password_too_short"}]})", 400), Reply(200, "[]")};
    for (const auto start : {changePassword, setPassword})
        for (const auto& reply : failures)
            for (const auto from : {Session::social, Session::password})
                EXPECT_EQ(writesOf(start, reply, from), std::vector<std::string>{}) << reply.status << reply.body;
}

TEST_F(PasswordCallsTest, PasswordPathsAreReadWhenTheRequestIsBuilt) {
    auto& settings = Lumeno::shared();
    const std::string defaultPath = settings.changePasswordEndpoint;
    settings.changePasswordEndpoint = "/v9/password/";
    server.otherwise(Reply::json("{}"));
    const Call<void> call([](auto done) { return changePassword("t", std::move(done)); });
    settings.changePasswordEndpoint = defaultPath;
    EXPECT_EQ(sent().path, "/api/v9/password/");
}

TEST_F(PasswordCallsTest, ResetBodyKeepsItsFixedKeys) {
    server.otherwise(Reply(204));
    const std::pair<const char*, const char*> cases[] = {
        {"reset_key", R"({"reset_key":"rk","new_password":"pw"})"},
        {"new_password", R"({"new_password":"pw","reset_key":"rk"})"},
    };
    for (const auto& [attribute, body] : cases) {
        const Call<void> call([&](auto done) {
            return LumenoRequest::doResetPassword(attribute, "chosen-by-caller", "pw", "rk", std::move(done));
        });
        EXPECT_EQ(boost::json::parse(sent().body), boost::json::parse(body)) << attribute;
    }
}

}  // namespace
}  // namespace lumeno::test
