#include <gtest/gtest.h>

#include "core/http/session.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/main_queue.hpp"
#include "support/wait.hpp"
#include "support/transport.hpp"

using namespace lumeno;
using namespace lumeno::detail;
using lumeno::test::FakeServer;
using lumeno::test::Reply;
using lumeno::test::TestPki;

namespace {

class SessionTest : public ::testing::Test {
protected:
    void TearDown() override { test::resetTransport(); }
};

TEST_F(SessionTest, TenSequentialRequestsShareOneConnection) {
    FakeServer server;
    test::useServer(server);
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(*test::sendAndWait(service::GetCountries{"t"})->result);
    EXPECT_EQ(server.requestCount(), 10u);
    EXPECT_EQ(server.connectionCount(), 1u);
}

struct PinningCase {
    const char* name;
    const char* pinnedHost;   // host of the configured base URL
    const char* requestHost;  // host the gateway names
    enum { testRoot, otherRoot, embeddedRoots } roots;
    bool succeeds;
    std::size_t connections;  // what the server saw
    const char* failureMentions = "";
};

class Pinning : public SessionTest, public ::testing::WithParamInterface<PinningCase> {};

TEST_P(Pinning, TrustsOnlyThePinnedRootsAndHost) {
    const PinningCase& c = GetParam();
    FakeServer server(FakeServer::Scheme::https);
    test::useServer(server, "/v1", c.pinnedHost);
    Lumeno::shared().tenant = server.url("/v1", c.requestHost);
    const std::string pem[] = {TestPki::shared().rootPem, TestPki::shared().otherRootPem};
    setPinnedRootsForTesting(c.roots == PinningCase::embeddedRoots ? std::nullopt : std::optional(pem[c.roots]));

    const auto delivery = test::sendAndWait(service::GetCountries{"t"});
    EXPECT_EQ(delivery->result->has_value(), c.succeeds) << delivery->failure();
    if (!c.succeeds) {
        EXPECT_EQ(delivery->result->error().kind(), LumenoError::Kind::underlying);
        EXPECT_NE(delivery->failure().find(c.failureMentions), std::string::npos) << delivery->failure();
    }
    EXPECT_EQ(server.requestCount(), c.succeeds ? 1u : 0u);
    EXPECT_EQ(server.connectionCount(), c.connections);
}

INSTANTIATE_TEST_SUITE_P(
    Session, Pinning,
    ::testing::Values(PinningCase{"PinnedTestRoot", "127.0.0.1", "127.0.0.1", PinningCase::testRoot, true, 1},
                      PinningCase{"PinnedHostByName", "localhost", "localhost", PinningCase::testRoot, true, 1},
                      PinningCase{"AnotherCA", "127.0.0.1", "127.0.0.1", PinningCase::otherRoot, false, 1,
                                  "unable to get local issuer certificate"},
                      // the embedded roots load, and do not vouch for the test server
                      PinningCase{"EmbeddedRootsOnly", "127.0.0.1", "127.0.0.1", PinningCase::embeddedRoots, false, 1,
                                  "unable to get local issuer certificate"},
                      PinningCase{"AnotherHost", "localhost", "127.0.0.1", PinningCase::testRoot, false, 0,
                                  "TLS to 127.0.0.1 refused"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, PlainHttpGoesOnlyToLoopback) {
    FakeServer server;
    test::useServer(server);
    const std::string port = std::to_string(server.port());
    const struct {
        std::string gateway;
        bool allowed;
    } cases[] = {
        {"http://127.0.0.1:" + port + "/v1", true},
        {"http://localhost:" + port + "/v1", true},
        {"http://192.0.2.1:" + port + "/v1", false},
        {"http://127.0.0.1.example.com:" + port + "/v1", false},
        {"https://192.0.2.1:" + port + "/v1", false},
        {"ftp://127.0.0.1:" + port + "/v1", false},
    };
    for (const auto& c : cases) {
        Lumeno::shared().tenant = c.gateway;
        const auto delivery = test::sendAndWait(service::GetCountries{"t"});
        EXPECT_EQ(delivery->result->has_value(), c.allowed) << c.gateway << ": " << delivery->failure();
    }
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(SessionTest, HeaderFieldsThatWouldSplitTheRequestAreNotSent) {
    // The endpoint rule refuses such texts; a token from a renewal reaches the session unchecked.
    FakeServer server;
    test::useServer(server);
    using namespace std::string_literals;
    const HttpHeaders malformed[] = {{{"Authorization", "JWT t\r\nX-Injected: 1"}}, {{"Authorization", "JWT t\nX"}},
                                     {{"Authorization", "JWT t\0x"s}}, {{"X-Bad Name", "v"}}, {{"X:Y", "v"}}};
    for (const auto& headers : malformed) {
        HttpRequest request;
        request.url = server.url("/v1/countries/");
        request.headers = headers;
        std::optional<Result<Response>> outcome;
        startTransfer(request, [&](Result<Response> result) {
            MainQueue::shared().post([&, result] { outcome = result; });
        });
        ASSERT_TRUE(test::waitFor([&] { return outcome.has_value(); }));
        ASSERT_FALSE(*outcome);
        EXPECT_EQ(outcome->error().kind(), LumenoError::Kind::underlying);
    }
    EXPECT_EQ(server.connectionCount(), 0u);
}

TEST_F(SessionTest, FollowsRedirectsWithinBounds) {
    FakeServer server;
    test::useServer(server);
    server.otherwise(Reply(200, "arrived"));
    const auto login = [&](int status) {
        server.on("POST", "/v1/members/login/", Reply(status, "", {{"Location", "/target"}}));
        return test::sendAndWait(service::Login{"ann", "pw"});
    };
    const auto moved = login(302);
    ASSERT_TRUE(*moved->result) << moved->failure();
    EXPECT_EQ((*moved->result)->data, "arrived");
    EXPECT_EQ((*moved->result)->url, server.url("/target"));
    ASSERT_TRUE(*login(307)->result);
    auto seen = server.requests();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[1].method + " " + seen[1].path + seen[1].body, "GET /target");
    EXPECT_EQ(seen[3].method + " " + seen[3].path, "POST /target");
    EXPECT_EQ(seen[3].body, seen[2].body);

    for (const auto& elsewhere : {std::string("https://192.0.2.1/x"), server.url("/target", "localhost")}) {
        server.on("GET", "/v1/countries/", Reply(302, "", {{"Location", elsewhere}}));
        const auto refused = test::sendAndWait(service::GetCountries{"t"});
        ASSERT_FALSE(*refused->result) << elsewhere;
        ASSERT_NE(refused->result->error().response(), nullptr);
        EXPECT_EQ(refused->result->error().response()->statusCode, 302);
    }

    server.on("GET", "/v1/lookups/", Reply(302, "", {{"Location", "/v1/lookups/"}}));
    EXPECT_FALSE(*test::sendAndWait(service::AllLookUps{"t"})->result);
    EXPECT_EQ(server.requestCount(), 4u + 2u + 6u);
}

TEST_F(SessionTest, BaseUrlWithoutHostStopsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    FakeServer server;
    test::useServer(server);
    for (const char* base : {"", "no host", "https://"}) {
        Lumeno::shared().baseURL = base;
        EXPECT_DEATH(test::send(service::GetCountries{"t"}), "Invalid base URL: no host") << base;
    }
}

}  // namespace
