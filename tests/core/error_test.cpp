#include <gtest/gtest.h>

#include <set>

#include "lumeno/core/error.hpp"

using boost::json::parse;
using lumeno::LumenoError;
using lumeno::Response;

namespace {

Response reply(std::string body, int status = 400) {
    return {.statusCode = status, .data = std::move(body), .headers = {}, .url = "https://api.example.com/x"};
}

}  // namespace

TEST(LumenoResponseError, AcceptedBodyShapes) {
    struct Case {
        const char* body;
        std::size_t entries;       // 0: no error body
        const char* firstMessage;  // of the first entry
        bool hasMap;
    };
    const Case cases[] = {
        {R"({"errors":[{"code":"A","message":"one"},{"code":"B"}],"x":1})", 2, "one", true},
        {R"({"error":{"message":"single","status_code":401}})", 1, "single", true},
        {R"([{"message":"bare list"},{"field":"f"}])", 2, "bare list", false},
        {R"({"field":"email","message":"bare entry"})", 1, "bare entry", true},
        {R"({"errors":[],"message":"falls back to the bare entry"})", 1, "falls back to the bare entry", true},
        {R"({"errors":"text","error":{"message":"next shape"}})", 1, "next shape", true},
        {R"({"code":7,"message":["not text"]})", 1, nullptr, true},  // lenient keys
        {R"({"errors":[{"message":"ok"},3]})", 0, nullptr, false},   // a list is all or nothing
        {R"({"detail":"Not found."})", 0, nullptr, false},
        {R"([])", 0, nullptr, false},
        {R"("text")", 0, nullptr, false},
        {R"(42)", 0, nullptr, false},
        {"<html>Bad gateway</html>", 0, nullptr, false},
        {"", 0, nullptr, false},
    };
    for (const auto& c : cases) {
        const auto parsed = lumeno::LumenoResponseError::parse(reply(c.body));
        const auto error = LumenoError::fromStatusCode(reply(c.body));
        ASSERT_EQ(parsed.has_value(), c.entries > 0) << c.body;
        ASSERT_EQ(error.kind(), c.entries > 0 ? LumenoError::Kind::statusCode : LumenoError::Kind::lumenoErrorMapping)
            << c.body;
        ASSERT_NE(error.response(), nullptr);
        EXPECT_EQ(error.response()->data, c.body);
        if (!parsed) continue;
        EXPECT_EQ(parsed->errors.size(), c.entries) << c.body;
        EXPECT_EQ(parsed->error.message, c.firstMessage ? std::optional<std::string>(c.firstMessage) : std::nullopt);
        EXPECT_EQ(parsed->resultMap.empty(), !c.hasMap) << c.body;
        EXPECT_EQ(error.responseError()->errors.size(), c.entries);
    }
}

TEST(LumenoErrorResponse, DecodesEveryKeyAndEncodesBack) {
    const auto json = parse(R"({"field":"f","message":"m","code":"c","type":"t","status_code":400,
                                "data":{"n":1,"s":"1","z":null}})");
    const auto entry = lumeno::LumenoErrorResponse::decode(json, lumeno::Decoder{});
    EXPECT_EQ(entry.statusCode, 400);
    ASSERT_TRUE(entry.data);
    EXPECT_TRUE(entry.data->at("n").is_int64());
    EXPECT_TRUE(entry.data->at("s").is_string());
    EXPECT_EQ(entry.toJson(), json);
    EXPECT_EQ(lumeno::LumenoErrorResponse{}.toJson(), parse("{}"));
    EXPECT_THROW(lumeno::LumenoErrorResponse::decode(parse("[]"), lumeno::Decoder{}), lumeno::DecodingError);
}

TEST(LumenoError, CodeProperties) {
    using Login = LumenoError::LoginErrorCode;
    using Change = LumenoError::ChangePasswordErrorCode;
    using Reset = LumenoError::ResetPasswordErrorCode;
    using OTP = LumenoError::ValidateOTP;
    struct Case {
        const char* body;
        std::optional<Login> login;
        std::optional<Change> change;
        std::optional<Reset> reset;
        std::optional<OTP> otp;
    };
    const Case cases[] = {
        {R"({"errors":[{"code":"USER_LOCKED_OUT"}]})", Login::userLockedOut, {}, {}, {}},
        {R"({"errors":[{"code":"authentication_failed"}]})", Login::authenticationFailed, {}, {}, {}},
        {R"({"errors":[{"code":"Invalid_Credentials"}]})", Login::invalidCredentials, Change::invalidCredentials, {},
         {}},
        {R"({"errors":[{"code":"login_disabled"}]})", Login::loginDisabled, {}, {}, {}},
        {R"({"errors":[{"code":"repeat_password"}]})", {}, Change::repeatPassword, Reset::repeatPassword, {}},
        {R"({"errors":[{"code":"invalid_fail"}]})", {}, Change::invalidFail, {}, {}},
        {R"({"errors":[{"code":"password_invalid"}]})", {}, Change::passwordInvalid, Reset::passwordInvalid, {}},
        {R"({"errors":[{"code":"password_too_short"}]})", {}, Change::passwordTooShort, Reset::passwordTooShort, {}},
        {R"({"errors":[{"code":"password_too_similar"}]})", {}, Change::passwordTooSimilar, {}, {}},
        {R"({"errors":[{"code":"incorrect_code"}]})", {}, {}, Reset::incorrectCode, {}},
        {R"({"errors":[{"code":"code_expired"}]})", {}, {}, Reset::codeExpired, {}},
        {R"({"errors":[{"code":"INVALID_OTP"}]})", {}, {}, {}, OTP::invalidOTP},
        {R"({"errors":[{"code":"exhausted_attempts"},{"code":"invalid_otp"}]})", {}, {}, {}, OTP::exhaustedAttempts},
        {R"({"errors":[{"code":"something_else"}]})", {}, {}, {}, {}},
        {R"({"errors":[{"message":"no code"}]})", {}, {}, {}, {}},
        {R"({"errors":[{"message":"later entries do not count"},{"code":"invalid_otp"}]})", {}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        const auto error = LumenoError::fromStatusCode(reply(c.body));
        ASSERT_EQ(error.kind(), LumenoError::Kind::statusCode) << c.body;
        EXPECT_EQ(error.loginErrorCode(), c.login) << c.body;
        EXPECT_EQ(error.changePasswordErrorCode(), c.change) << c.body;
        EXPECT_EQ(error.resetPasswordErrorCode(), c.reset) << c.body;
        EXPECT_EQ(error.validateOTPErrorCode(), c.otp) << c.body;
    }
    EXPECT_FALSE(LumenoError::lumenoErrorMapping(reply(R"({"code":"invalid_otp"})")).validateOTPErrorCode());
    EXPECT_FALSE(LumenoError::invalidToken().loginErrorCode());
}

TEST(LumenoError, MessagesAndPayloads) {
    const std::pair<LumenoError, const char*> cases[] = {
        {LumenoError::invalidToken(), "Failed to locate token."},
        {LumenoError::fromStatusCode(reply(R"({"message":"Nope"})", 401)),
         "Status code didn't fall within the given range. (status 401): Nope"},
        {LumenoError::requestMapping("not a url"), "Failed to map Endpoint to a URLRequest. not a url"},
        {LumenoError::underlying("timed out"), "The request failed before a reply arrived. timed out"},
        {LumenoError::objectMapping("bad key", reply("{}", 200)),
         "Failed to map data to a Decodable object. bad key (status 200)"},
    };
    for (const auto& [error, description] : cases) EXPECT_EQ(error.description(), description);

    // Every case, in declaration order, with a message of its own.
    const LumenoError all[] = {
        LumenoError::imageMapping(reply("")),       LumenoError::jsonMapping(reply("")),
        LumenoError::stringMapping(reply("")),      LumenoError::objectMapping("e", reply("")),
        LumenoError::encodableMapping("e"),         LumenoError::fromStatusCode(reply(R"({"code":"x"})")),
        LumenoError::underlying("e", reply("")),    LumenoError::requestMapping("e"),
        LumenoError::parameterEncoding("e"),        LumenoError::lumenoErrorMapping(reply("")),
        LumenoError::invalidToken()};
    std::set<std::string_view> messages;
    for (std::size_t i = 0; i < std::size(all); ++i) {
        EXPECT_EQ(static_cast<std::size_t>(all[i].kind()), i);
        messages.insert(all[i].message());
    }
    EXPECT_EQ(messages.size(), std::size(all));
    EXPECT_EQ(LumenoError::underlying("e").response(), nullptr);
}
