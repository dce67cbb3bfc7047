#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "core/http/network_logger.hpp"

using namespace lumeno;
using namespace lumeno::detail;

namespace {

const char* const secretMembers[] = {"password", "current_password", "new_password", "otp",  "reset_key",
                                     "access_token", "id_token", "token", "code"};

/// Collects what the logger writes while it lives.
struct CapturedLog {
    std::vector<std::string> entries;
    CapturedLog() {
        setNetworkLogSink([this](std::string_view entry) { entries.emplace_back(entry); });
    }
    ~CapturedLog() { setNetworkLogSink(nullptr); }
};

TEST(NetworkLogger, MasksEverySecretMemberAtAnyDepth) {
    for (const char* key : secretMembers) {
        const std::string k = key;
        const struct {
            std::string body, masked;
        } cases[] = {
            {R"({")" + k + R"(":"s3cret","user":"ann"})", R"({")" + k + R"(":"***","user":"ann"})"},
            {R"({"a":{"b":[{")" + k + R"(":12345}]}})", R"({"a":{"b":[{")" + k + R"(":"***"}]}})"},
            {R"([{")" + k + R"(":{"nested":"s3cret"}}])", R"([{")" + k + R"(":"***"}])"},
        };
        for (const auto& c : cases)
            EXPECT_EQ(boost::json::parse(maskedBody(c.body)), boost::json::parse(c.masked)) << c.body;
    }
    EXPECT_EQ(maskedBody("plain text, not JSON"), "plain text, not JSON");
    EXPECT_EQ(boost::json::parse(maskedBody(R"({"Password":"shown","tokens":1})")),
              boost::json::parse(R"({"Password":"shown","tokens":1})"));
}

TEST(NetworkLogger, RequestAndReplyEntriesHideSecretHeadersAndMembers) {
    CapturedLog log;
    HttpRequest request;
    request.method = HttpMethod::post;
    request.url = "https://api.example.com/v1/members/login/";
    request.headers = {{"authorization", "JWT s3cret-jwt"},   {"X-API-KEY", "s3cret-key"},
                       {"Recaptcha-Token", "s3cret-captcha"}, {"Recaptcha-SiteKey", "site"},
                       {"Content-Type", "application/json"}};
    request.body = R"({"username":"ann","password":"s3cret-pw"})";
    logRequest(request);

    Response reply;
    reply.statusCode = 200;
    reply.headers = {{"Content-Type", "application/json"}};
    reply.data = R"({"token":"s3cret-token","expires_in":"3600"})";
    logOutcome(HttpMethod::post, request.url, reply);
    logOutcome(HttpMethod::get, request.url, fail(LumenoError::underlying("Timeout was reached")));

    ASSERT_EQ(log.entries.size(), 3u);
    for (const auto& entry : log.entries) EXPECT_EQ(entry.find("s3cret"), std::string::npos) << entry;
    const auto& sent = log.entries[0];
    EXPECT_TRUE(sent.starts_with("--> POST https://api.example.com/v1/members/login/")) << sent;
    for (const char* line : {"authorization: ***", "X-API-KEY: ***", "Recaptcha-Token: ***",
                             "Recaptcha-SiteKey: site", "\"username\":\"ann\""})
        EXPECT_NE(sent.find(line), std::string::npos) << line;
    EXPECT_TRUE(log.entries[1].starts_with("<-- 200 POST https://api.example.com/v1/members/login/"));
    EXPECT_NE(log.entries[1].find("\"expires_in\":\"3600\""), std::string::npos);
    EXPECT_TRUE(log.entries[2].starts_with("<-- FAILED GET "));
    EXPECT_NE(log.entries[2].find("Timeout was reached"), std::string::npos);
}

}  // namespace
