#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "lumeno/core/error.hpp"

using boost::json::parse;
using lumeno::LumenoError;

namespace {

lumeno::Response reply(std::string body, int status = 400) {
    return {.statusCode = status, .data = std::move(body), .headers = {}, .url = "https://api.example.com/x"};
}

}  // namespace

TEST(LumenoResponseError, AcceptedBodyShapes) {
    // The entries found (none: no error body), the first entry's message and whether the body is a map.
    const std::tuple<const char*, std::size_t, const char*, bool> cases[] = {
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
        {"<html>Bad gateway</html>", 0, nullptr, false},
        {"", 0, nullptr, false},
    };
    for (const auto& [body, entries, firstMessage, hasMap] : cases) {
        SCOPED_TRACE(body);
        const auto error = LumenoError::fromStatusCode(reply(body));
        ASSERT_EQ(error.kind(), entries ? LumenoError::Kind::statusCode : LumenoError::Kind::lumenoErrorMapping);
        EXPECT_EQ(error.response()->data, body);
        EXPECT_EQ(lumeno::LumenoResponseError::parse(reply(body)).has_value(), entries > 0);
        if (!entries) continue;
        const auto& parsed = *error.responseError();
        EXPECT_EQ(parsed.errors.size(), entries);
        EXPECT_EQ(parsed.error.message, firstMessage ? std::optional<std::string>(firstMessage) : std::nullopt);
        EXPECT_EQ(parsed.resultMap.empty(), !hasMap);
    }
}

TEST(LumenoErrorResponse, DecodesEveryKeyAndEncodesBack) {
    const auto json = parse(R"({"field":"f","message":"m","code":"c","type":"t","status_code":400,
                                "data":{"n":1,"s":"1","z":null}})");
    const auto entry = lumeno::LumenoErrorResponse::decode(json, lumeno::Decoder{});
    EXPECT_EQ(entry.toJson(), json);  // numbers and texts in "data" keep their kinds
    EXPECT_THROW(lumeno::LumenoErrorResponse::decode(parse("[]"), lumeno::Decoder{}), lumeno::DecodingError);
}

TEST(LumenoError, CodeVocabulariesMatchTheFirstEntryLowercased) {
    using Login = LumenoError::LoginErrorCode;
    using Change = LumenoError::ChangePasswordErrorCode;
    using Reset = LumenoError::ResetPasswordErrorCode;
    using OTP = LumenoError::ValidateOTP;
    // Bare lists of entries: only the first entry's code counts.
    const std::tuple<const char*, std::optional<Login>, std::optional<Change>, std::optional<Reset>, std::optional<OTP>>
        cases[] = {
            {R"([{"code":"USER_LOCKED_OUT"}])", Login::userLockedOut, {}, {}, {}},
            {R"([{"code":"Invalid_Credentials"}])", Login::invalidCredentials, Change::invalidCredentials, {}, {}},
            {R"([{"code":"password_too_short"}])", {}, Change::passwordTooShort, Reset::passwordTooShort, {}},
            {R"([{"code":"exhausted_attempts"},{"code":"invalid_otp"}])", {}, {}, {}, OTP::exhaustedAttempts},
            {R"([{"message":"no code"},{"code":"invalid_otp"}])", {}, {}, {}, {}},
            {R"([{"code":"something_else"}])", {}, {}, {}, {}},
        };
    for (const auto& [body, login, change, reset, otp] : cases) {
        const auto error = LumenoError::fromStatusCode(reply(body));
        EXPECT_EQ(std::tuple(error.loginErrorCode(), error.changePasswordErrorCode(), error.resetPasswordErrorCode(),
                             error.validateOTPErrorCode()),
                  std::tuple(login, change, reset, otp))
            << body;
    }
    EXPECT_FALSE(LumenoError::lumenoErrorMapping(reply(R"({"code":"invalid_otp"})")).validateOTPErrorCode());
}

TEST(LumenoError, DescriptionsCarryDetailStatusAndMessage) {
    const std::pair<LumenoError, const char*> cases[] = {
        {LumenoError::fromStatusCode(reply(R"({"message":"Nope"})", 401)),
         "Status code didn't fall within the given range. (status 401): Nope"},
        {LumenoError::requestMapping("not a url"), "Failed to map Endpoint to a URLRequest. not a url"},
        {LumenoError::objectMapping("bad key", reply("{}", 200)),
         "Failed to map data to a Decodable object. bad key (status 200)"},
    };
    for (const auto& [error, description] : cases) EXPECT_EQ(error.description(), description);
}
