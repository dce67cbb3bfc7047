#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "core/http/session.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/network_log.hpp"
#include "support/transport.hpp"
#include "support/wait.hpp"

using namespace lumeno;
using namespace lumeno::detail;
using namespace std::chrono_literals;
using lumeno::test::FakeServer;
using lumeno::test::Reply;

namespace {

class ProviderTest : public ::testing::Test {
protected:
    void SetUp() override { test::useServer(server); }
    void TearDown() override { test::resetTransport(); }
    FakeServer server;
};

TEST_F(ProviderTest, DeliversRepliesOfEveryStatusOnTheMainQueue) {
    for (const int status : {200, 204, 404, 500}) {
        server.on("GET", "/v1/countries/", Reply(status, status == 204 ? "" : R"({"n":1})", {{"prev", "p"}}));
        const auto delivery = test::sendAndWait(service::GetCountries{"t0k"});
        ASSERT_TRUE(delivery->result && *delivery->result) << status << ": " << delivery->failure();
        const Response& reply = **delivery->result;
        EXPECT_EQ(delivery->thread, std::this_thread::get_id());
        EXPECT_EQ(reply.statusCode, status);
        EXPECT_EQ(reply.data, status == 204 ? "" : R"({"n":1})");
        EXPECT_EQ(reply.headers.find("prev"), "p");
        EXPECT_EQ(reply.url, server.url("/v1/countries/"));
    }
    const auto sent = server.requests().back();
    EXPECT_EQ(sent.method, "GET");
    EXPECT_EQ(sent.headers.find("Authorization"), "JWT t0k");
    EXPECT_EQ(sent.headers.find("x-api-key"), "key");
}

TEST_F(ProviderTest, SendsTheCaseBody) {
    server.on("POST", "/v1/members/login/", Reply::json("{}"));
    ASSERT_TRUE(test::sendAndWait(service::Login{"ann", "pw"})->result->has_value());
    const auto sent = server.requests().at(0);
    EXPECT_EQ(boost::json::parse(sent.body), boost::json::parse(R"({"username":"ann","password":"pw"})"));
    EXPECT_EQ(sent.headers.find("Content-Type"), "application/json");
}

TEST_F(ProviderTest, DropTimeoutAndCancelEachEndInOneCompletion) {
    server.on("GET", "/v1/countries/", Reply::dropped());
    server.on("GET", "/v1/lookups/", Reply(200, "late").after(30s));
    setTransportTimeouts({.connect = 30s, .total = 200ms});
    const struct {
        const char* name;
        LumenoService service;
        bool cancel;
    } cases[] = {
        {"dropped", service::GetCountries{"t"}, false},
        {"timeout", service::AllLookUps{"t"}, false},
        {"cancelled", service::GetCountries{"t"}, true},
    };
    for (const auto& c : cases) {
        if (c.cancel) server.on("GET", "/v1/countries/", Reply(200).after(30s));
        const auto delivery = test::send(c.service);
        if (c.cancel) delivery->handle->cancel();
        ASSERT_TRUE(test::waitFor([&] { return delivery->done(); })) << c.name;
        test::settle();
        EXPECT_EQ(delivery->calls, 1) << c.name;
        ASSERT_FALSE(*delivery->result) << c.name;
        EXPECT_EQ(delivery->result->error().kind(), LumenoError::Kind::underlying) << c.name;
        EXPECT_EQ(delivery->result->error().response(), nullptr) << c.name;
        EXPECT_EQ(delivery->handle->isCancelled(), c.cancel) << c.name;
        if (c.cancel) {
            EXPECT_EQ(delivery->failure(), "Request explicitly cancelled.");
        }
    }
}

TEST_F(ProviderTest, CancelAfterTheReplyChangesNothing) {
    const auto delivery = test::sendAndWait(service::GetCountries{"t"});
    delivery->handle->cancel();
    test::settle();
    EXPECT_EQ(delivery->calls, 1);
    EXPECT_TRUE(*delivery->result);
    EXPECT_FALSE(delivery->handle->isCancelled());
}

TEST_F(ProviderTest, CaseThatIsNoRequestFailsWithoutSending) {
    Lumeno::shared().tenant = "not a url";
    const auto delivery = test::sendAndWait(service::GetCountries{"t"});
    ASSERT_FALSE(*delivery->result);
    EXPECT_EQ(delivery->result->error().kind(), LumenoError::Kind::requestMapping);
    delivery->handle->cancel();
    test::settle();
    EXPECT_EQ(delivery->calls, 1);
    EXPECT_FALSE(delivery->handle->isCancelled());
    EXPECT_EQ(server.connectionCount(), 0u);
}

TEST_F(ProviderTest, LogsRequestsAndRepliesWithoutSecretsWhenAsked) {
    std::vector<std::string> entries;
    setNetworkLogSink([&](std::string_view entry) { entries.emplace_back(entry); });
    server.on("POST", "/v1/members/login/", Reply::json(R"({"token":"s3cret-new","expires_in":"60"})"));
    test::sendAndWait(service::Login{"ann", "s3cret-pw"});
    Lumeno::shared().apiLogsEnabled = true;
    test::sendAndWait(service::Login{"ann", "s3cret-pw"});
    setNetworkLogSink(nullptr);

    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].starts_with("--> POST " + server.url("/v1/members/login/"))) << entries[0];
    EXPECT_TRUE(entries[1].starts_with("<-- 200 POST " + server.url("/v1/members/login/"))) << entries[1];
    for (const auto& entry : entries) EXPECT_EQ(entry.find("s3cret"), std::string::npos) << entry;
}

}  // namespace
