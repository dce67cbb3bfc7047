#include <gtest/gtest.h>

#include "core/http/session.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/main_queue.hpp"
#include "support/fake_server.hpp"
#include "support/wait.hpp"

using namespace lumeno;
using namespace lumeno::detail;
using lumeno::test::FakeServer;
using lumeno::test::Reply;
using lumeno::test::TestPki;

namespace {

HttpRequest request(HttpMethod method, std::string url, HttpHeaders headers = {}, std::string body = {}) {
    HttpRequest r;
    r.method = method;
    r.url = std::move(url);
    r.headers = std::move(headers);
    r.body = std::move(body);
    return r;
}

HttpRequest get(std::string url) { return request(HttpMethod::get, std::move(url)); }

/// Sends through the session and waits for the outcome, which the test sees on the main queue.
/// Then sends one more request, so that a second outcome of the first would show in `calls`.
Result<Response> send(HttpRequest request, int* calls = nullptr) {
    std::optional<Result<Response>> outcome;
    int count = 0;
    startTransfer(std::move(request), [&](Result<Response> result) {
        MainQueue::shared().post([&, result = std::move(result)] {
            ++count;
            outcome = result;
        });
    });
    EXPECT_TRUE(test::waitFor([&] { return outcome.has_value(); }));
    if (calls) {
        FakeServer settle;
        bool settled = false;
        startTransfer(get(settle.url("/settle")), [&](Result<Response>) {
            MainQueue::shared().post([&] { settled = true; });
        });
        EXPECT_TRUE(test::waitFor([&] { return settled; }));
        *calls = count;
    }
    return outcome.value_or(fail(LumenoError::underlying("no outcome")));
}

std::string failure(const Result<Response>& outcome) { return outcome ? "" : outcome.error().detail(); }

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        Lumeno::shared().baseURL = "https://127.0.0.1";
        setPinnedRootsForTesting(TestPki::shared().rootPem);
    }
    void TearDown() override {
        setPinnedRootsForTesting(std::nullopt);
        setTransportTimeouts({});
    }
};

TEST_F(SessionTest, ReplyCarriesStatusHeadersAndBody) {
    FakeServer server;
    server.on("POST", "/members/login/",
              Reply(201, R"({"ok":true})", {{"Content-Type", "application/json"}, {"next", "https://n/2"}}));
    const auto reply = send(request(HttpMethod::post, server.url("/members/login/?a=1"),
                                    {{"x-api-key", "k"}, {"Content-Type", "application/json"}}, R"({"u":1})"));
    ASSERT_TRUE(reply) << reply.error().description();
    EXPECT_EQ(reply->statusCode, 201);
    EXPECT_EQ(reply->data, R"({"ok":true})");
    EXPECT_EQ(reply->headers.find("next"), "https://n/2");
    EXPECT_EQ(reply->headers.find("content-type"), "application/json");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, "/members/login/");
    EXPECT_EQ(requests[0].query, "a=1");
    EXPECT_EQ(requests[0].headers.find("x-api-key"), "k");
    EXPECT_EQ(requests[0].body, R"({"u":1})");
}

TEST_F(SessionTest, TenSequentialRequestsShareOneConnection) {
    FakeServer server;
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(send(get(server.url("/ping"))));
    EXPECT_EQ(server.requestCount(), 10u);
    EXPECT_EQ(server.connectionCount(), 1u);
}

struct PinningCase {
    const char* name;
    const char* baseHost;     // host of the configured base URL
    const char* requestHost;  // host the request goes to
    enum { testRoot, otherRoot, embeddedRoots } roots;
    bool succeeds;
    std::size_t connections;  // what the server saw
};

class Pinning : public SessionTest, public ::testing::WithParamInterface<PinningCase> {};

TEST_P(Pinning, TrustsOnlyThePinnedRootsAndHost) {
    const PinningCase& c = GetParam();
    FakeServer server(FakeServer::Scheme::https);
    Lumeno::shared().baseURL = server.url("/", c.baseHost);
    const std::string pem[] = {TestPki::shared().rootPem, TestPki::shared().otherRootPem};
    setPinnedRootsForTesting(c.roots == PinningCase::embeddedRoots ? std::nullopt
                                                                   : std::optional(pem[c.roots]));
    const auto outcome = send(get(server.url("/pinned", c.requestHost)));
    EXPECT_EQ(outcome.has_value(), c.succeeds) << failure(outcome);
    if (!outcome) {
        EXPECT_EQ(outcome.error().kind(), LumenoError::Kind::underlying);
    }
    EXPECT_EQ(server.requestCount(), c.succeeds ? 1u : 0u);
    EXPECT_EQ(server.connectionCount(), c.connections);
}

INSTANTIATE_TEST_SUITE_P(
    Session, Pinning,
    ::testing::Values(PinningCase{"PinnedTestRoot", "127.0.0.1", "127.0.0.1", PinningCase::testRoot, true, 1},
                      PinningCase{"PinnedHostByName", "localhost", "localhost", PinningCase::testRoot, true, 1},
                      PinningCase{"AnotherCA", "127.0.0.1", "127.0.0.1", PinningCase::otherRoot, false, 1},
                      PinningCase{"EmbeddedRootsOnly", "127.0.0.1", "127.0.0.1", PinningCase::embeddedRoots, false, 1},
                      PinningCase{"AnotherHost", "localhost", "127.0.0.1", PinningCase::testRoot, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, PlainHttpGoesOnlyToLoopback) {
    FakeServer server;
    const std::string port = std::to_string(server.port());
    const struct {
        std::string url;
        bool allowed;
    } cases[] = {
        {"http://127.0.0.1:" + port + "/", true},
        {"http://localhost:" + port + "/", true},
        {"http://192.0.2.1:" + port + "/", false},
        {"http://127.0.0.1.example.com:" + port + "/", false},
        {"https://192.0.2.1:" + port + "/", false},
        {"ftp://127.0.0.1:" + port + "/", false},
    };
    for (const auto& c : cases) {
        const auto outcome = send(get(c.url));
        EXPECT_EQ(outcome.has_value(), c.allowed) << c.url << ": " << failure(outcome);
    }
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(SessionTest, DroppedConnectionAndTimeoutEndInOneFailure) {
    FakeServer server;
    server.on("GET", "/drop", Reply::dropped());
    server.on("GET", "/slow", Reply(200, "late").after(std::chrono::seconds(30)));
    setTransportTimeouts({.connect = std::chrono::seconds(30), .total = std::chrono::milliseconds(200)});
    for (const char* path : {"/drop", "/slow"}) {
        int calls = 0;
        const auto outcome = send(get(server.url(path)), &calls);
        EXPECT_EQ(calls, 1) << path;
        ASSERT_FALSE(outcome) << path;
        EXPECT_EQ(outcome.error().kind(), LumenoError::Kind::underlying);
        EXPECT_FALSE(outcome.error().detail().empty());
        EXPECT_EQ(outcome.error().response(), nullptr) << path;
    }
}

TEST_F(SessionTest, FollowsRedirectsWithinBounds) {
    FakeServer server;
    server.on("POST", "/moved", Reply(302, "", {{"Location", "/target"}}));
    server.on("POST", "/kept", Reply(307, "", {{"Location", server.url("/target")}}));
    server.on("GET", "/elsewhere", Reply(302, "", {{"Location", "https://192.0.2.1/x"}}));
    server.on("GET", "/loop", Reply(302, "", {{"Location", "/loop"}}));
    server.otherwise(Reply(200, "arrived"));

    const auto moved = send(request(HttpMethod::post, server.url("/moved"), {}, "body"));
    ASSERT_TRUE(moved) << failure(moved);
    EXPECT_EQ(moved->data, "arrived");
    const auto kept = send(request(HttpMethod::post, server.url("/kept"), {}, "body"));
    ASSERT_TRUE(kept) << failure(kept);
    auto seen = server.requests();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[1].method + seen[1].path + seen[1].body, "GET/target");
    EXPECT_EQ(seen[3].method + seen[3].path + seen[3].body, "POST/targetbody");

    const auto elsewhere = send(get(server.url("/elsewhere")));
    ASSERT_FALSE(elsewhere);
    ASSERT_NE(elsewhere.error().response(), nullptr);
    EXPECT_EQ(elsewhere.error().response()->statusCode, 302);

    const auto loop = send(get(server.url("/loop")));
    ASSERT_FALSE(loop);
    EXPECT_EQ(server.requestCount(), 4u + 1u + 6u);
}

TEST_F(SessionTest, BaseUrlWithoutHostStopsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const char* base : {"", "no host", "https://"}) {
        Lumeno::shared().baseURL = base;
        EXPECT_DEATH(startTransfer(get("http://127.0.0.1:1/"), [](Result<Response>) {}), "Invalid base URL: no host")
            << base;
    }
}

}  // namespace
