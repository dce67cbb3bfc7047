// Transport faults through a public call: each ends in one completion with the right error,
// stores nothing, and leaves no secret in the network log.

#include <gtest/gtest.h>

#include "core/http/session.hpp"
#include "lumeno/api/lumeno_request.hpp"
#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/network_log.hpp"
#include "support/transport.hpp"
#include "support/wait.hpp"

using namespace lumeno;
using namespace std::chrono_literals;
using test::FakeServer;
using test::Reply;
using Failure = LumenoError::TransportFailure;
using Kind = LumenoError::Kind;

namespace {

const std::string kLogin = R"({"token":"t0ken-s3cret","expires_in":"3600","success":true})";

struct Fault {
    const char* name;
    Reply reply;
    Kind kind;
    std::optional<Failure> failure = std::nullopt;
    FakeServer::Scheme scheme = FakeServer::Scheme::http;
    const char* host = "127.0.0.1";        // of the gateway
    const char* pinnedHost = "127.0.0.1";  // of the base URL
    bool testRoots = true;                 // false: the embedded roots, which did not sign the server's certificate
    std::string cursor = {};               // the call: the offers page at this cursor; empty: a login
    std::size_t logged = 2;                // network log entries: the request and its outcome, or none unsent
};

TEST(FaultMatrix, EachFaultEndsInOneCompletionStoresNothingAndLogsNoSecret) {
    const auto https = FakeServer::Scheme::https;
    const FakeServer elsewhere;  // another origin on the gateway's host: nothing may reach it
    const Fault faults[] = {
        {"connection refused", Reply::json(kLogin), Kind::underlying, Failure::couldNotConnect,
         FakeServer::Scheme::http, "127.0.0.2"},
        {"closed mid-headers", Reply::cut("HTTP/1.1 200 OK\r\nContent-Ty"), Kind::underlying, Failure::other},
        {"closed mid-body", Reply::cut("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n40\r\n" + kLogin.substr(0, 20)),
         Kind::underlying, Failure::other},
        {"Content-Length beyond the body", Reply::cut("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + kLogin),
         Kind::underlying, Failure::other},
        {"slower than the timeout", Reply::json(kLogin).after(10s), Kind::underlying, Failure::timedOut},
        {"5xx with an HTML body", Reply(503, "<html><body>Down</body></html>", {{"Content-Type", "text/html"}}),
         Kind::lumenoErrorMapping},
        {"200 with invalid JSON", Reply(200, "<html>", {{"Content-Type", "application/json"}}), Kind::objectMapping},
        {"over the size cap", Reply(200, std::string(detail::maxReplyBody + 1, ' ')), Kind::underlying,
         Failure::replyTooLarge},
        {"redirect loop", Reply(307, "", {{"Location", "/api/members/login/"}}), Kind::underlying,
         Failure::tooManyRedirects},
        {"redirect to another host", Reply(307, "", {{"Location", "http://127.0.0.2:1/api/members/login/"}}),
         Kind::underlying, Failure::destinationRefused},
        {"unpinned CA", Reply::json(kLogin), Kind::underlying, Failure::tls, https, "127.0.0.1", "127.0.0.1", false},
        {"another host name", Reply::json(kLogin), Kind::underlying, Failure::tls, https, "localhost", "localhost"},
        {.name = "cursor to another origin", .reply = Reply::json("[]"), .kind = Kind::requestMapping,
         .cursor = elsewhere.url("/steal?page=2", "localhost"), .logged = 0},
        {"redirect to another port", Reply(307, "", {{"Location", elsewhere.url("/api/members/login/")}}),
         Kind::underlying, Failure::destinationRefused},
        {"Content-Length over the cap",
         Reply::cut("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(detail::maxReplyBody + 1) + "\r\n\r\n" + kLogin),
         Kind::underlying, Failure::replyTooLarge},
    };
    std::vector<std::string> log;
    setNetworkLogSink([&](std::string_view entry) { log.emplace_back(entry); });
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.name);
        KeychainWrapper::setSecretStore(std::make_shared<InMemorySecretStore>());
        log.clear();
        FakeServer server(fault.scheme);
        server.on("POST", "/api/members/login/", fault.reply);
        test::useServer(server, "/api", fault.pinnedHost);
        Lumeno::shared().updateSettings([&](LumenoSettings& settings) {
            settings.tenant = server.url("/api", fault.host);
            settings.apiKey = "api-s3cret";
            settings.apiLogsEnabled = true;
        });
        if (!fault.testRoots) detail::setPinnedRootsForTesting(std::nullopt);
        detail::setTransportTimeouts({.connect = 10s, .total = fault.reply.delay > 0ms ? 300ms : 30s});

        int calls = 0;
        std::optional<LumenoError> error;
        const auto completion = [&](const auto& result) {
            ++calls;
            if (!result) error = result.error();
        };
        const Handle call = fault.cursor.empty() ? LumenoRequest::login("ann", "pa55-s3cret", completion)
                                                 : LumenoRequest::getOffersFromCursor("t0ken-s3cret", fault.cursor, completion);
        ASSERT_TRUE(test::waitFor([&] { return calls > 0; }));
        test::settle();
        EXPECT_EQ(calls, 1);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), fault.kind) << error->description();
        EXPECT_EQ(error->transportFailure(), fault.failure) << error->description();
        EXPECT_EQ(CredentialsManager::shared().token(), std::nullopt);
        EXPECT_EQ(log.size(), fault.logged);
        for (const auto& entry : log) EXPECT_EQ(entry.find("s3cret"), std::string::npos) << entry;
        test::resetTransport();
    }
    EXPECT_EQ(elsewhere.connectionCount(), 0u);
    setNetworkLogSink(nullptr);
    KeychainWrapper::setSecretStore(nullptr);
}

}  // namespace
