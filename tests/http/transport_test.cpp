#include <gtest/gtest.h>

#include <algorithm>
#include <boost/json.hpp>
#include <set>

#include "core/http/session.hpp"
#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/main_queue.hpp"
#include "lumeno/core/network_log.hpp"
#include "support/nghttpd.hpp"
#include "support/transport.hpp"
#include "support/wait.hpp"

using namespace lumeno;
using namespace lumeno::detail;
using namespace std::chrono_literals;
using lumeno::test::FakeServer;
using lumeno::test::Reply;
using lumeno::test::TestPki;
using SessionType = CredentialsManager::SessionType;

namespace {

/// The provider and the session beneath it, against the fake platform server.
class Transport : public ::testing::Test {
protected:
    void SetUp() override { test::useServer(server); }
    void TearDown() override { test::resetTransport(); }
    FakeServer server;
};

TEST_F(Transport, SendsTheWholeRequestAndDeliversEveryReplyOnTheMainQueue) {
    for (const int status : {200, 204, 404, 500}) {
        const std::string body = status == 204 ? "" : R"({"n":1})";
        server.on("POST", "/v1/members/login/", Reply(status, body, {{"X-Seen", "yes"}}));
        const auto delivery = test::sendAndWait(service::Login{"ann", "pw"});
        ASSERT_TRUE(delivery->result.value()) << status << ": " << delivery->failure();
        const Response& reply = **delivery->result;
        EXPECT_EQ(delivery->thread, std::this_thread::get_id());
        EXPECT_EQ(reply.statusCode, status);
        EXPECT_EQ(reply.data, body);
        EXPECT_EQ(reply.headers.find("X-Seen"), "yes");
        EXPECT_EQ(reply.url, server.url("/v1/members/login/"));

        delivery->handle->cancel();  // too late: changes nothing
        test::settle();
        EXPECT_EQ(delivery->calls, 1);
        EXPECT_FALSE(delivery->handle->isCancelled());
    }
    const auto sent = server.requests().back();
    EXPECT_EQ(boost::json::parse(sent.body), boost::json::parse(R"({"username":"ann","password":"pw"})"));
    EXPECT_EQ(sent.headers.find("Content-Type"), "application/json");
    EXPECT_EQ(sent.headers.find("x-api-key"), "key");
}

TEST_F(Transport, ACompletionIsLetGoOnceItHasRunThoughItsHandleIsHeld) {
    // The delivery holds the call's handle and the call's completion holds the delivery: were the
    // call to keep its completion or its outcome once they ran, neither would ever go.
    server.on("GET", "/v1/countries/", Reply(200, "[]"));
    server.on("GET", "/v1/lookups/", Reply::dropped());
    for (const detail::LumenoService& service : {detail::LumenoService(service::GetCountries{}),
                                                 detail::LumenoService(service::AllLookUps{})}) {
        auto delivery = test::sendAndWait(service);
        const std::weak_ptr<test::Delivery> seen = delivery;
        delivery.reset();
        EXPECT_TRUE(seen.expired());
    }
    // Nor when the task never runs: an executor that throws loses the task it was given.
    std::atomic<int> lost = 0;
    MainQueue::shared().setExecutor([&](MainQueue::Task) {
        ++lost;
        throw std::runtime_error("lost");
    });
    std::weak_ptr<test::Delivery> seen = test::send(service::GetCountries{});
    EXPECT_TRUE(test::waitFor([&] { return lost == 1 && seen.expired(); }));
    MainQueue::shared().setExecutor(nullptr);
}

TEST_F(Transport, EveryFailureEndsInOneCompletion) {
    server.on("GET", "/v1/countries/", Reply::dropped());
    server.on("GET", "/v1/lookups/", Reply(200, "late").after(30s));
    setTransportTimeouts({.connect = 30s, .total = 200ms});
    using Failure = LumenoError::TransportFailure;
    const struct {
        const char* name;
        LumenoService service;
        bool cancel;
        std::optional<Failure> failure;  // nullopt: `requestMapping`
    } cases[] = {
        {"dropped", service::GetCountries{"t"}, false, Failure::other},
        {"timeout", service::AllLookUps{"t"}, false, Failure::timedOut},
        {"cancelled", service::AllLookUps{"t"}, true, Failure::cancelled},
        {"not a request", service::GetCountries{"t\r\nX-Injected: 1"}, false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto delivery = test::send(c.service);
        if (c.cancel) delivery->handle->cancel();
        ASSERT_TRUE(test::waitFor([&] { return delivery->done(); }));
        test::settle();
        EXPECT_EQ(delivery->calls, 1);
        ASSERT_FALSE(*delivery->result);
        const LumenoError& error = delivery->result->error();
        EXPECT_EQ(error.kind(), c.failure ? LumenoError::Kind::underlying : LumenoError::Kind::requestMapping);
        EXPECT_EQ(error.transportFailure(), c.failure);
        EXPECT_EQ(error.response(), nullptr);
        EXPECT_EQ(delivery->handle->isCancelled(), c.cancel);
        EXPECT_EQ(error.isCancellation(), c.cancel);
    }
}

TEST_F(Transport, LogsOnlyWhenAskedAndWithoutSecrets) {
    std::vector<std::string> entries;
    setNetworkLogSink([&](std::string_view entry) { entries.emplace_back(entry); });
    for (const bool enabled : {false, true}) {
        Lumeno::shared().updateSettings([&](LumenoSettings& settings) { settings.apiLogsEnabled = enabled; });
        test::sendAndWait(service::Login{"ann", "s3cret"});
    }
    setNetworkLogSink(nullptr);
    ASSERT_EQ(entries.size(), 2u);  // the request and its reply
    for (const auto& entry : entries) EXPECT_EQ(entry.find("s3cret"), std::string::npos) << entry;
}

TEST_F(Transport, SendsTheRequestsHeaderFieldsAsGiven) {
    // Each field goes out as given (an empty one without harm to the next; the test server does
    // not record empty fields); libcurl adds no "Expect" and, for a body, no content type of its
    // own; requests in a row reuse what their transfer records kept without mixing them up.
    server.otherwise(Reply(200, "{}"));
    const struct {
        HttpMethod method;
        std::string body;
        HttpHeaders headers;
    } cases[] = {
        {HttpMethod::get, "", {{"X-Empty", ""}, {"X-A", "1"}}},
        {HttpMethod::post, "{}", {{"X-B", std::string(300, 'b')}}},
        {HttpMethod::put, "{}", {{"Content-Type", "application/json"}, {"X-Empty", ""}}},
        {HttpMethod::del, "", {}},
    };
    for (const auto& sent : cases) {
        SCOPED_TRACE(std::string(methodName(sent.method)));
        std::optional<Result<Response>> outcome;
        HttpRequest request{.method = sent.method, .url = server.url("/v1/any/"), .headers = sent.headers, .body = sent.body};
        startTransfer(std::move(request), Lumeno::shared().settings()->baseURL, [&](Result<Response> result) {
            MainQueue::shared().post([&outcome, result = std::move(result)] { outcome = result; });
        });
        ASSERT_TRUE(test::waitFor([&] { return outcome.has_value(); }));
        ASSERT_TRUE(outcome->has_value());
        const auto seen = server.requests().back();
        EXPECT_EQ(seen.method, methodName(sent.method));
        EXPECT_EQ(seen.body, sent.body);
        for (const auto& [name, value] : sent.headers.fields()) {
            if (value.empty()) continue;
            EXPECT_EQ(seen.headers.find(name), value) << name;
        }
        EXPECT_FALSE(seen.headers.contains("Expect"));
        if (!sent.headers.contains("Content-Type")) {
            EXPECT_FALSE(seen.headers.contains("Content-Type"));
        }
    }
}

TEST_F(Transport, TransferRecordsCarryNothingFromOneCallToTheNext) {
    // Calls in a row go through the same kept transfer record: a redirect that turned a POST
    // into a GET, a reply stopped for its size and a reply with fields of its own leave nothing
    // behind for the next call, in what goes out or in the reply it gets; nor does an upload,
    // nor a method of its own.
    const std::string overCap = std::to_string(detail::maxReplyBody + 1);
    server.on("POST", "/v1/a/", Reply(303, "moved", {{"Location", "/v1/b/"}, {"X-Hop", "303"}}));
    server.on("GET", "/v1/b/", Reply(200, "b", {{"X-Only", "b"}}));
    server.on("GET", "/v1/c/", Reply::cut("HTTP/1.1 200 OK\r\nX-Only: c\r\nContent-Length: " + overCap + "\r\n\r\n{}"));
    server.on("GET", "/v1/d/", Reply(200, "d"));
    server.on("PUT", "/v1/e/", Reply(201, "e"));
    server.on("POST", "/v1/f/", Reply(200, "f"));
    server.on("DELETE", "/v1/g/", Reply(200, "g"));
    const std::string upload(5000, 'u');  // more than a kept record keeps room for
    const struct {
        HttpMethod method;
        std::string path, body;
        HttpHeaders headers;
        std::string seenMethod, seenPath, seenBody;  // the last request the server saw
        int status;                                  // delivered; 0: a failure without a reply
        std::string replyBody;
    } calls[] = {
        {HttpMethod::post, "/v1/a/", "{}", {{"Content-Type", "application/json"}, {"X-Step", "1"}}, "GET", "/v1/b/",
         "", 200, "b"},
        {HttpMethod::get, "/v1/c/", "", {{"X-Step", "2"}}, "GET", "/v1/c/", "", 0, ""},
        {HttpMethod::get, "/v1/d/", "", {{"X-Step", "3"}}, "GET", "/v1/d/", "", 200, "d"},
        {HttpMethod::put, "/v1/e/", "{}", {{"X-Step", "4"}}, "PUT", "/v1/e/", "{}", 201, "e"},
        {HttpMethod::post, "/v1/f/", upload, {{"X-Step", "5"}}, "POST", "/v1/f/", upload, 200, "f"},
        {HttpMethod::get, "/v1/d/", "", {{"X-Step", "6"}}, "GET", "/v1/d/", "", 200, "d"},
        {HttpMethod::del, "/v1/g/", "", {{"X-Step", "7"}}, "DELETE", "/v1/g/", "", 200, "g"},
        {HttpMethod::get, "/v1/d/", "", {{"X-Step", "8"}}, "GET", "/v1/d/", "", 200, "d"},
    };
    for (const auto& call : calls) {
        SCOPED_TRACE(call.path);
        std::optional<Result<Response>> outcome;
        HttpRequest request{.method = call.method, .url = server.url(call.path), .headers = call.headers, .body = call.body};
        startTransfer(std::move(request), Lumeno::shared().settings()->baseURL, [&](Result<Response> result) {
            MainQueue::shared().post([&outcome, result = std::move(result)] { outcome = result; });
        });
        ASSERT_TRUE(test::waitFor([&] { return outcome.has_value(); }));
        const auto seen = server.requests().back();
        EXPECT_EQ(seen.method, call.seenMethod);
        EXPECT_EQ(seen.path, call.seenPath);
        EXPECT_EQ(seen.body, call.seenBody);
        EXPECT_EQ(seen.headers.find("X-Step"), call.headers.find("X-Step"));
        EXPECT_FALSE(seen.headers.contains("Content-Type"));  // the first call's went with its POST
        EXPECT_FALSE(seen.headers.contains("Expect"));
        ASSERT_EQ(outcome->has_value(), call.status != 0);
        if (!*outcome) {
            EXPECT_EQ(outcome->error().transportFailure(), LumenoError::TransportFailure::replyTooLarge);
            continue;
        }
        const Response& reply = **outcome;
        EXPECT_EQ(reply.statusCode, call.status);
        EXPECT_EQ(reply.data, call.replyBody);
        EXPECT_EQ(reply.url, server.url(call.seenPath));
        EXPECT_EQ(reply.headers.find("X-Only"), call.replyBody == "b" ? std::optional<std::string_view>("b") : std::nullopt);
        EXPECT_FALSE(reply.headers.contains("X-Hop"));
    }
}

TEST_F(Transport, ReadsTheReplysHeaderFieldsAsSent) {
    // Values lose the blanks around them and keep what is inside; an interim reply's fields
    // are not the reply's.
    server.on("GET", "/v1/countries/",
              Reply::cut("HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\n"
                         "HTTP/1.1 200 OK\r\nX-Padded: \t a b \t\r\nX-Tight:v\r\nX-Empty:\r\nX-Colons: a: b:c\r\n"
                         "Content-Length: 2\r\n\r\n[]"));
    const auto reply = test::transfer(server.url("/v1/countries/"));
    ASSERT_TRUE(reply.has_value()) << reply.error().message();
    const std::vector<HttpHeaders::Field> expected{
        {"X-Padded", "a b"}, {"X-Tight", "v"}, {"X-Empty", ""}, {"X-Colons", "a: b:c"}, {"Content-Length", "2"}};
    EXPECT_EQ(reply->headers.fields(), expected);
}

TEST_F(Transport, TwoHundredSequentialRequestsShareOneConnection) {
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(test::sendAndWait(service::GetCountries{"t"})->result.value());
    EXPECT_EQ(server.requestCount(), 200u);
    EXPECT_EQ(server.connectionCount(), 1u);
}

TEST_F(Transport, GoesStraightToTheServerWhateverTheProxyEnvironmentSays) {
    // Proxies on a closed port of another loopback address, no host exempt: a call sent through
    // one would fail.
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    const auto set = [&](const char* name, const char* value) {
        const char* was = std::getenv(name);
        saved.emplace_back(name, was ? std::optional<std::string>(was) : std::nullopt);
        value ? setenv(name, value, 1) : unsetenv(name);
    };
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) set(name, "http://127.0.0.2:9");
    for (const char* name : {"no_proxy", "NO_PROXY"}) set(name, nullptr);
    server.on("GET", "/v1/countries/", Reply(200, "[]"));
    const auto delivery = test::sendAndWait(service::GetCountries{"t"});
    for (const auto& [name, value] : saved) value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    ASSERT_TRUE(delivery->result.value()) << delivery->failure();
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(Transport, AConnectionClosedAfterItsReplyIsLeftForANewOne) {
    // The server ends each connection after its reply, saying so (libcurl closes it) or not (it
    // closes while the connection idles in the session): each next call opens another, often
    // on the socket number the last one had.
    const Reply replies[] = {Reply(200, "[]", {{"Connection", "close"}}),
                             Reply::cut("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n[]")};
    for (const auto& reply : replies) {
        server.on("GET", "/v1/countries/", reply);
        for (int i = 0; i < 8; ++i) {
            ASSERT_TRUE(test::sendAndWait(service::GetCountries{"t"})->result.value()) << i;
            test::settle();  // the server's close reaches the session before the next call
        }
    }
}

TEST_F(Transport, EachCallTimesOutAtItsOwnDeadlineWhicheverStartedFirst) {
    server.on("GET", "/v1/lookups/", Reply(200, "late").after(30s));
    for (const bool shortFirst : {true, false}) {
        SCOPED_TRACE(shortFirst ? "the shorter timeout first" : "the longer timeout first");
        const auto start = [&](std::chrono::milliseconds total) {
            setTransportTimeouts({.connect = 30s, .total = total});
            return test::send(service::AllLookUps{"t"});
        };
        const auto first = start(shortFirst ? 300ms : 2s);
        const auto second = start(shortFirst ? 2s : 300ms);
        const auto& shorter = shortFirst ? first : second;
        const auto& longer = shortFirst ? second : first;
        ASSERT_TRUE(test::waitFor([&] { return shorter->done(); }));
        EXPECT_FALSE(longer->done());
        ASSERT_TRUE(test::waitFor([&] { return longer->done(); }));
        for (const auto& call : {shorter, longer})
            EXPECT_EQ((*call->result).error().transportFailure(), LumenoError::TransportFailure::timedOut);
    }
}

TEST_F(Transport, ACallAwaitedOnTheMainQueueIsDrivenByTheWaitingThread) {
    server.on("GET", "/v1/countries/", Reply(200, "[]"));
    int drivenHere = 0;
    for (int i = 0; i < 20; ++i) {
        auto driver = std::make_shared<std::optional<std::thread::id>>();
        HttpRequest request{.method = HttpMethod::get, .url = server.url("/v1/countries/"), .headers = {}, .body = {}};
        startTransfer(std::move(request), Lumeno::shared().settings()->baseURL, [driver](Result<Response> result) {
            EXPECT_TRUE(result.has_value());
            MainQueue::shared().post([driver, thread = std::this_thread::get_id()] { *driver = thread; });
        });
        ASSERT_TRUE(test::waitFor([&] { return driver->has_value(); }));
        drivenHere += **driver == std::this_thread::get_id();
    }
    // The I/O thread may take a reply that comes while it has not yet stepped aside; most of
    // them are this thread's, none without the waiting thread driving.
    EXPECT_GE(drivenHere, 10);
}

TEST_F(Transport, ACallStartedByACompletionGoesOutHoweverTheWaitingThreadGoesOn) {
    // A call started by a completion that the waiting thread runs is sent with the thread's
    // next wait; it must also go out when there is none.
    server.on("GET", "/v1/countries/", Reply(200, "[]"));
    const auto get = [&](std::function<void(const Result<Response>&)> then) {
        HttpRequest request{.method = HttpMethod::get, .url = server.url("/v1/countries/"), .headers = {}, .body = {}};
        startTransfer(std::move(request), Lumeno::shared().settings()->baseURL, [then](Result<Response> result) {
            MainQueue::shared().post([then, result = std::move(result)] { then(result); });
        });
    };
    const auto serverSaw = [&](std::size_t requests) {
        for (int i = 0; i < 500 && server.requestCount() < requests; ++i) std::this_thread::sleep_for(10ms);
        return server.requestCount() >= requests;
    };
    enum class After { stopsWaiting, runsOn, waitsInTheCompletion };
    for (const After after : {After::stopsWaiting, After::runsOn, After::waitsInTheCompletion}) {
        SCOPED_TRACE(static_cast<int>(after));
        const std::size_t before = server.requestCount();
        bool firstDone = false, secondSent = false;
        std::optional<Result<Response>> second;
        get([&](const Result<Response>& result) {
            EXPECT_TRUE(result.has_value());
            get([&](const Result<Response>& result) { second = result; });
            if (after == After::runsOn) secondSent = serverSaw(before + 2);  // the thread does not wait meanwhile
            if (after == After::waitsInTheCompletion) {
                EXPECT_TRUE(test::waitFor([&] { return second.has_value(); }));
            }
            firstDone = true;
        });
        ASSERT_TRUE(test::waitFor([&] { return firstDone; }));
        if (after == After::stopsWaiting) {
            EXPECT_TRUE(serverSaw(before + 2));
        } else if (after == After::runsOn) {
            EXPECT_TRUE(secondSent);
        }
        ASSERT_TRUE(test::waitFor([&] { return second.has_value(); }));
        EXPECT_TRUE(second->has_value());
    }
}

TEST_F(Transport, ABurstOverHttp2SharesOneConnection) {
    auto nghttpd = test::Nghttpd::start("/v1/countries/", R"([{"code":"US"}])");
    if (!nghttpd) GTEST_SKIP() << "nghttpd (package nghttp2-server) is not installed";
    Lumeno::shared().updateSettings([&](LumenoSettings& settings) { settings.tenant = nghttpd->url("/v1"); });
    const std::size_t before = nghttpd->connectionCount();
    std::vector<std::shared_ptr<test::Delivery>> burst;
    for (int i = 0; i < 100; ++i) burst.push_back(test::send(service::GetCountries{"t"}));
    ASSERT_TRUE(test::waitFor([&] { return std::ranges::all_of(burst, [](const auto& d) { return d->done(); }); }));
    for (const auto& delivery : burst) {
        ASSERT_TRUE(delivery->result.value()) << delivery->failure();
        EXPECT_EQ((*delivery->result)->statusCode, 200);
    }
    EXPECT_EQ(nghttpd->connectionCount() - before, 1u);
}

TEST_F(Transport, OverTlsAndHttp1EveryCallInFlightHasAConnectionOfItsOwn) {
    // The fake server speaks HTTP/1.1 only: once a reply shows it, no cap on connections per
    // host holds calls back inside libcurl.
    FakeServer tls(FakeServer::Scheme::https);
    test::useServer(tls);
    tls.on("GET", "/v1/countries/", Reply(200, "[]").after(300ms));
    ASSERT_TRUE(test::sendAndWait(service::GetCountries{"t"})->result.value());
    std::vector<std::shared_ptr<test::Delivery>> calls;
    for (int i = 0; i < 12; ++i) calls.push_back(test::send(service::GetCountries{"t"}));
    ASSERT_TRUE(test::waitFor([&] { return std::ranges::all_of(calls, [](const auto& d) { return d->done(); }); }));
    for (const auto& call : calls) EXPECT_TRUE(call->result.value()) << call->failure();
    EXPECT_EQ(tls.connectionCount(), 12u);
}

TEST_F(Transport, GoesOnlyToThePinnedHostOrToLoopback) {
    const auto tls = FakeServer::Scheme::https, plain = FakeServer::Scheme::http;
    const std::string& root = TestPki::shared().rootPem;
    const struct {
        FakeServer::Scheme scheme;
        const char* host;                  // of the gateway
        const char* pinnedHost;            // of the configured base URL
        std::optional<std::string> roots;  // nullopt: the embedded roots, which did not sign the server's
        const char* failure;               // what the failure says; "": the request succeeds
        std::size_t connections = 0;       // what the server saw
    } cases[] = {
        {tls, "127.0.0.1", "127.0.0.1", root, "", 1},
        {tls, "127.0.0.1", "127.0.0.1", std::nullopt, "unable to get local issuer certificate", 1},
        {tls, "127.0.0.1", "localhost", root, "TLS to 127.0.0.1 refused"},
        {plain, "127.0.0.1", "localhost", root, "", 1},
        {plain, "localhost", "localhost", root, "", 1},
        // An address outside loopback: refused before any socket opens (the connect guard of the
        // tests, on since `useServer`, would stop it anyway and fail the test).
        {plain, "192.0.2.1", "127.0.0.1", root, "Plain HTTP to 192.0.2.1 refused"},
        {plain, "127.0.0.1.example.com", "127.0.0.1", root, "Plain HTTP to 127.0.0.1.example.com refused"},
    };
    for (const auto& c : cases) {
        FakeServer target(c.scheme);
        test::useServer(target, "/v1", c.pinnedHost);
        Lumeno::shared().updateSettings([&](LumenoSettings& settings) { settings.tenant = target.url("/v1", c.host); });
        setPinnedRootsForTesting(c.roots);
        const auto delivery = test::sendAndWait(service::GetCountries{"t"});
        SCOPED_TRACE(target.url("/v1", c.host) + ": " + delivery->failure());
        EXPECT_EQ(delivery->result.value().has_value(), *c.failure == '\0');
        EXPECT_NE(delivery->failure().find(c.failure), std::string::npos);
        EXPECT_EQ(target.requestCount(), *c.failure ? 0u : 1u);
        EXPECT_EQ(target.connectionCount(), c.connections);
    }
}

TEST_F(Transport, HeaderFieldsThatWouldSplitTheRequestAreNotSent) {
    // The endpoint refuses such texts; a token from a renewal reaches the session unchecked.
    using namespace std::string_literals;
    const std::string longToken = "JWT " + std::string(4000, 't');  // as long as real tokens run, and more
    for (const HttpHeaders& headers :
         {HttpHeaders{{"Authorization", "JWT t\r\nX-Injected: 1"}}, HttpHeaders{{"Authorization", "JWT t\nX"}},
          HttpHeaders{{"Authorization", "JWT t\0x"s}}, HttpHeaders{{"Authorization", "JWT t\rX"}},
          HttpHeaders{{"Authorization", longToken + "\r\nX: 1"}}, HttpHeaders{{"Authorization", longToken + '\0'}},
          HttpHeaders{{"X:Y", "v"}}, HttpHeaders{{"X\nY", "v"}}, HttpHeaders{{"X Y", "v"}}, HttpHeaders{{"", "v"}}}) {
        const auto outcome = test::transfer(server.url("/v1/countries/"), headers);
        ASSERT_FALSE(outcome);
        EXPECT_NE(outcome.error().detail().find("Header field refused"), std::string::npos);
    }
    EXPECT_EQ(server.connectionCount(), 0u);
    EXPECT_TRUE(test::transfer(server.url("/v1/countries/"), HttpHeaders{{"Authorization", longToken}}));
}

TEST_F(Transport, FollowsRedirectsOnlyWithinTheRules) {
    FakeServer pinned(FakeServer::Scheme::https), elsewhere;  // elsewhere: another port of the gateway's host
    const auto upper = [](std::string url) { return url.replace(0, 4, "HTTP"); };
    const auto withUser = [](std::string url) { return url.insert(url.find("//") + 2, "evil.example@"); };
    const struct {
        int status;
        std::string location;
        std::size_t requests;    // what the gateway saw
        std::string lastMethod;  // of the last of them; a GET goes without the body
        int delivered;           // the status delivered: the target's 200, or a refused redirect's own
        FakeServer* gateway = nullptr;  // null: the plain one of the fixture
    } cases[] = {
        {302, "/target", 2, "GET", 200},
        {307, "/target", 2, "POST", 200},
        {307, upper(server.url("/target")), 2, "POST", 200},
        {302, "https://127.0.0.2/target", 1, "POST", 302},
        {302, server.url("/target", "localhost"), 1, "POST", 302},  // another host, though the same server
        {307, "/v1/members/login/", 6, "POST", 307},                // five redirects at most
        // Other origins: the member's token goes nowhere but the gateway.
        {307, elsewhere.url("/target"), 1, "POST", 307},
        {307, elsewhere.url("/target", "localhost"), 1, "POST", 307},
        {307, upper(elsewhere.url("/target")), 1, "POST", 307},
        {307, withUser(elsewhere.url("/target")), 1, "POST", 307},
        {307, withUser(server.url("/target")), 1, "POST", 307},
        {307, elsewhere.url("/target", "127.0.0.2"), 1, "POST", 307},
        {307, elsewhere.url("/target", "[::1]"), 1, "POST", 307},
        {307, elsewhere.url("/target"), 1, "POST", 307, &pinned},
        {307, pinned.url("/target").erase(4, 1), 1, "POST", 307, &pinned},  // the gateway's port, without TLS
        {307, pinned.url("/target"), 2, "POST", 200, &pinned},
    };
    for (FakeServer* gateway : {&server, &pinned}) gateway->otherwise(Reply(200, "arrived"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        FakeServer& gateway = c.gateway ? *c.gateway : server;
        test::useServer(gateway);
        gateway.on("POST", "/v1/members/login/", Reply(c.status, "", {{"Location", c.location}}));
        const std::size_t before = gateway.requestCount();
        const auto delivery = test::sendAndWait(service::Login{"ann", "pw"});
        const auto seen = gateway.requests();
        EXPECT_EQ(seen.size() - before, c.requests);
        EXPECT_EQ(seen.back().method, c.lastMethod);
        EXPECT_EQ(seen.back().body, c.lastMethod == "GET" ? "" : seen[before].body);
        const auto& result = delivery->result.value();
        EXPECT_EQ(result.has_value(), c.delivered == 200);
        const Response* reply = result ? &*result : result.error().response();
        ASSERT_NE(reply, nullptr);
        EXPECT_EQ(reply->statusCode, c.delivered);
        // The reply names the URL it answers: the redirect's own, or the target it led to.
        EXPECT_TRUE(reply->url.ends_with(c.delivered == 200 ? "/target" : "/v1/members/login/")) << reply->url;
        if (c.requests == 1) {
            EXPECT_EQ(result.error().transportFailure(), LumenoError::TransportFailure::destinationRefused);
        }
    }
    EXPECT_EQ(elsewhere.connectionCount(), 0u);
}

TEST_F(Transport, BaseUrlWithoutHostStopsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Lumeno::shared().updateSettings([](LumenoSettings& settings) { settings.baseURL = "https://"; });
    EXPECT_DEATH(test::send(service::GetCountries{"t"}), "Invalid base URL: no host");
}

// ---- the request hook: renewing an expired password session --------------------------------

constexpr const char* loginPath = "/v1/members/login/";
const Reply renewed = Reply::json(R"({"token":"new","expires_in":"3600"})");

class RefreshCompletion : public Transport {
protected:
    /// A fresh keychain, renewal on, the callbacks logged in `events`, the login answered with "new".
    void SetUp() override {
        KeychainWrapper::setSecretStore(std::make_shared<InMemorySecretStore>());
        test::useServer(server);
        Lumeno& lumeno = Lumeno::shared();
        lumeno.updateSettings([](LumenoSettings& settings) { settings.tokenRefreshMandatory = true; });
        lumeno.tokenDidRefresh([this](const std::string& token) { events.push_back("refreshed " + token); });
        lumeno.didUnauthorisedRequest([this] { events.emplace_back("unauthorised"); });
        lumeno.setTokenRefresh([this] { events.emplace_back("host refresh"); });
        server.on("POST", loginPath, renewed);
    }

    /// Stores a session of user "ann" whose token "old" expires `expiresIn` seconds from now
    /// (less the two-minute margin), or never.
    static void storeSession(const SessionType& type, std::optional<std::string> expiresIn = "0") {
        CredentialsManager::shared().storeCredential("ann", "old", std::move(expiresIn), type);
    }

    static void setTokenType(const char* scheme) {
        Lumeno::shared().updateSettings([&](LumenoSettings& settings) { settings.tokenType = scheme; });
    }

    std::vector<std::string> events;
};

TEST_F(RefreshCompletion, OneReLoginServesEveryWaitingRequest) {
    storeSession(SessionType::password("pw"));
    std::vector<std::shared_ptr<test::Delivery>> held;
    for (const char* scheme : {"JWT", "Bearer", "JWT"}) {
        setTokenType(scheme);
        held.push_back(test::send(service::GetMemberDetails{"old"}));
    }
    const auto cancelled = test::send(service::GetCountries{"old"});
    cancelled->handle->cancel();
    ASSERT_TRUE(test::waitFor([&] { return std::ranges::all_of(held, [](const auto& d) { return d->done(); }); }));
    test::settle();
    EXPECT_EQ(cancelled->calls, 1);
    EXPECT_EQ(cancelled->failure(), "Request explicitly cancelled.");

    const auto requests = server.requests();  // the re-login, then the held requests but the cancelled one
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(boost::json::parse(requests[0].body), boost::json::parse(R"({"username":"ann","password":"pw"})"));
    std::multiset<std::string_view> sent;
    for (std::size_t i = 1; i < 4; ++i) sent.insert(requests[i].headers.find("Authorization").value_or(""));
    EXPECT_EQ(sent, (std::multiset<std::string_view>{"Bearer new", "JWT new", "JWT new"}));
    EXPECT_EQ(events, std::vector<std::string>{"refreshed new"});
    EXPECT_EQ(CredentialsManager::shared().token(), "new");
    EXPECT_EQ(CredentialsManager::shared().keychain().string("sessionTypePassword"), "pw");

    test::sendAndWait(service::GetMemberDetails{"old"});  // the renewed expiry lets it straight through
    EXPECT_EQ(server.requests().back().headers.find("Authorization"), "JWT old");
    EXPECT_EQ(server.requestCount(), 5u);
}

TEST_F(RefreshCompletion, AThrowingCallbackStrandsNoHeldRequest) {
    storeSession(SessionType::password("pw"));
    Lumeno::shared().tokenDidRefresh([](const std::string&) { throw std::runtime_error("host"); });
    const auto held = test::send(service::GetMemberDetails{"old"});
    int thrown = 0;
    const auto pump = [&] {  // the callback's exception leaves the pump; pumping goes on
        for (;;) {
            try {
                return test::waitFor([&] { return held->done() && thrown == 1; });
            } catch (const std::runtime_error&) {
                ++thrown;
            }
        }
    };
    EXPECT_TRUE(pump());
    EXPECT_EQ(server.requests().back().headers.find("Authorization"), "JWT new");
}

TEST_F(RefreshCompletion, LeavesTheRequestAsItWasWhenItCannotRenew) {
    const auto password = SessionType::password("pw");
    const struct {
        const char* name;
        SessionType session;
        std::optional<std::string> expiresIn;
        const char* scheme = "JWT";
        bool reLogin = false;
        std::vector<std::string> events = {};
        Reply login = renewed;
    } cases[] = {
        {"social session", SessionType::social(), "0", "JWT", false, {"host refresh"}},
        {"not expired", password, "3600"},
        {"no expiry", password, std::nullopt},
        {"another scheme", password, "0", "Basic"},
        {"re-login refused", password, "0", "JWT", true, {"unauthorised"}, Reply::json(R"({"errors":[]})", 401)},
        {"re-login reply without token", password, "0", "JWT", true, {}, Reply::json(R"({"expires_in":"3600"})")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KeychainWrapper::setSecretStore(std::make_shared<InMemorySecretStore>());
        events.clear();
        storeSession(password);  // an earlier password session leaves its password behind
        storeSession(c.session, c.expiresIn);
        server.on("POST", loginPath, c.login);
        setTokenType(c.scheme);
        const std::size_t before = server.requestCount();
        ASSERT_TRUE(test::sendAndWait(service::GetMemberDetails{"old"})->done());
        test::settle();
        EXPECT_EQ(server.requestCount() - before, c.reLogin ? 2u : 1u);
        EXPECT_EQ(server.requests().back().headers.find("Authorization"), std::string(c.scheme) + " old");
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(CredentialsManager::shared().token(), "old");
    }
}

}  // namespace
