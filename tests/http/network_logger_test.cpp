#include <gtest/gtest.h>

#include <boost/json.hpp>

#include <tuple>

#include "core/http/network_logger.hpp"

using namespace lumeno;
using namespace lumeno::detail;

namespace {

TEST(NetworkLogger, MasksEverySecretHeaderAndMember) {
    const char* const secretHeaders[] = {"authorization", "X-API-KEY", "Recaptcha-Token", "Cookie", "set-cookie"};
    const char* const secretMembers[] = {"password", "current_password", "new_password", "otp", "reset_key",
                                         "access_token", "id_token", "token", "code", "Password", "confirm_password",
                                         "pin", "PIN", "refresh_token", "refreshToken", "IDToken", "auth_key",
                                         "pwd", "newPwd", "passcode", "user_passcode", "pass", "pin_code",
                                         "secret_key"};
    // Each secret member holds an object, deep in the body: the whole value goes.
    boost::json::object member{{"user", "ann"}};
    for (const char* name : secretMembers) member[name] = boost::json::object{{"nested", "s3cret"}};
    HttpRequest request{.method = HttpMethod::post,
                        .url = "https://api.example.com/v1/members/login/",
                        .headers = {{"Recaptcha-SiteKey", "site"}},
                        .body = boost::json::serialize(boost::json::object{{"members", boost::json::array{member}}})};
    for (const char* name : secretHeaders) request.headers.add(name, "s3cret");

    std::vector<std::string> entries;
    setNetworkLogSink([&](std::string_view entry) { entries.emplace_back(entry); });
    logRequest(request);
    logOutcome(HttpMethod::post, request.url, Response{200, request.body, request.headers, request.url});
    logOutcome(HttpMethod::get, request.url, fail(LumenoError::underlying("Timeout was reached")));
    setNetworkLogSink(nullptr);

    ASSERT_EQ(entries.size(), 3u);
    for (const auto& entry : entries) EXPECT_EQ(entry.find("s3cret"), std::string::npos) << entry;
    for (const auto& entry : {entries[0], entries[1]}) {
        EXPECT_NE(entry.find("Recaptcha-SiteKey: site"), std::string::npos) << entry;
        EXPECT_NE(entry.find(R"("user":"ann")"), std::string::npos) << entry;
    }
    EXPECT_TRUE(entries[0].starts_with("--> POST " + request.url)) << entries[0];
    EXPECT_TRUE(entries[1].starts_with("<-- 200 POST " + request.url)) << entries[1];
    EXPECT_TRUE(entries[2].starts_with("<-- FAILED GET " + request.url)) << entries[2];
    EXPECT_NE(entries[2].find("Timeout was reached"), std::string::npos);
}

TEST(NetworkLogger, MasksBodiesCutShortAndKeepsTheRestAsItCame) {
    const std::pair<std::string, std::string> cases[] = {
        {R"({"token":"t0k","success":true,)", R"({"token":"***","success":true,)"},  // one byte short
        {R"({"user":"ann","password":"s3cr)", R"({"user":"ann","password":"***")"},
        {R"({"token":{"a":"}]","b":[1,{"c":2}]},"next":1})", R"({"token":"***","next":1})"},
        {R"({ "otp" : 123456 , "x" : "y" })", R"({ "otp" : "***" , "x" : "y" })"},
        {R"([{"password":"p"}])", R"([{"password":"***"}])"},
        {R"({"note":"say \"token\": x","expires_in":3600,"country_code":"IN"})",
         R"({"note":"say \"token\": x","expires_in":3600,"country_code":"IN"})"},
        {R"({"pass_type":"gold","pass":"p")", R"({"pass_type":"gold","pass":"***")"},
        {R"({"token":)", R"({"token":)"},
        {"\n {\"pwd\": \"p\"}\r\n", "\n {\"pwd\": \"***\"}\r\n"},
        {'"' + std::string(64 * 1024 - 2, 'x') + '"', '"' + std::string(64 * 1024 - 2, 'x') + '"'},
        {std::string(64 * 1024 + 1, 'x'), "(65537 bytes)"},
    };
    for (const auto& [body, logged] : cases) EXPECT_EQ(maskedBody(body, ""), logged) << body.substr(0, 80);
}

TEST(NetworkLogger, LogsABodyThatIsNoJsonAsItsSizeAndType) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"token=s3cret&user=ann", "application/x-www-form-urlencoded",
         "(21 bytes, application/x-www-form-urlencoded)"},
        {R"(<input name="token" value="s3cret">)", "text/html; charset=utf-8", "(35 bytes, text/html; charset=utf-8)"},
        {"{'token': 's3cret'}", "application/json", "(19 bytes, application/json)"},
        {R"({"a":1} token=s3cret)", "application/json", "(20 bytes, application/json)"},
        {R"({"note":"say "token": s3cret","expires_in":3600})", "", "(48 bytes)"},
        {"plain text, not JSON", "", "(20 bytes)"},
    };
    for (const auto& [body, type, logged] : cases) EXPECT_EQ(maskedBody(body, type), logged) << body;

    // A reply's body is judged with the reply's content type.
    std::vector<std::string> entries;
    setNetworkLogSink([&](std::string_view entry) { entries.emplace_back(entry); });
    logOutcome(HttpMethod::get, "https://api.example.com/v1/offers/",
               Response{200, "<p>token: s3cret</p>", {{"Content-Type", "text/html"}}, "https://api.example.com/"});
    setNetworkLogSink(nullptr);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].ends_with("Content-Type: text/html\n\n(20 bytes, text/html)")) << entries[0];
}

}  // namespace
