#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/lumeno.hpp"
#include "support/transport.hpp"
#include "support/wait.hpp"

using namespace lumeno;
using namespace lumeno::detail;
using lumeno::test::FakeServer;
using lumeno::test::Reply;
using SessionType = CredentialsManager::SessionType;

namespace {

constexpr const char* loginPath = "/v1/members/login/";

class RefreshCompletion : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { test::resetTransport(); }

    /// A fresh keychain and configuration, callbacks counted, the login answered with "new".
    void reset() {
        KeychainWrapper::setSecretStore(std::make_shared<InMemorySecretStore>());
        left.clear();
        refreshedTokens.clear();
        unauthorised = hostRefreshes = 0;
        test::useServer(server);
        Lumeno& lumeno = Lumeno::shared();
        lumeno.tokenRefreshMandatory = true;
        lumeno.tokenDidRefresh([this](const std::string& token) { refreshedTokens.push_back(token); });
        lumeno.didUnauthorisedRequest([this] { ++unauthorised; });
        lumeno.setTokenRefresh([this] { ++hostRefreshes; });
        server.on("POST", loginPath, Reply::json(R"({"token":"new","expires_in":"3600"})"));
    }

    /// Stores a session of user "ann" whose token "old" lives `expiresIn` seconds from now
    /// (less the two-minute margin), or has no expiry.
    static void storeSession(const SessionType& type, std::optional<std::string> expiresIn = "0") {
        CredentialsManager::shared().storeCredential("ann", "old", std::move(expiresIn), type);
    }

    /// Passes a request with "Authorization: <authorization>" through the hook.
    void hook(std::string authorization = "JWT old") {
        HttpRequest request;
        request.url = server.url("/v1/members/details/");
        if (!authorization.empty()) request.headers.set("Authorization", std::move(authorization));
        refreshCompletion(std::move(request), [this](HttpRequest out) { left.push_back(std::move(out)); });
    }

    [[nodiscard]] std::size_t logins() const {
        std::size_t count = 0;
        for (const auto& request : server.requests()) count += request.path == loginPath;
        return count;
    }

    FakeServer server;
    std::vector<HttpRequest> left;  // the requests the hook let go, in order
    std::vector<std::string> refreshedTokens;
    int unauthorised = 0;
    int hostRefreshes = 0;
};

TEST_F(RefreshCompletion, OneReLoginServesEveryWaitingRequest) {
    storeSession(SessionType::password("pw"));
    for (const char* authorization : {"JWT old", "Bearer old", "JWT old"}) hook(authorization);
    EXPECT_TRUE(left.empty());
    ASSERT_TRUE(test::waitFor([&] { return left.size() == 3; }));

    EXPECT_EQ(logins(), 1u);
    EXPECT_EQ(boost::json::parse(server.requests().at(0).body),
              boost::json::parse(R"({"username":"ann","password":"pw"})"));
    const char* expected[] = {"JWT new", "Bearer new", "JWT new"};
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(left[i].headers.find("Authorization"), expected[i]);
    EXPECT_EQ(refreshedTokens, std::vector<std::string>{"new"});
    const CredentialsManager& store = CredentialsManager::shared();
    EXPECT_EQ(store.token(), "new");
    EXPECT_EQ(store.keychain().string("sessionTypePassword"), "pw");
    EXPECT_GT(store.expiryDate().value(), std::chrono::system_clock::now() + std::chrono::minutes(55));

    hook();  // the renewed expiry lets the next request straight through
    ASSERT_EQ(left.size(), 4u);
    EXPECT_EQ(left[3].headers.find("Authorization"), "JWT old");
    EXPECT_EQ(logins(), 1u);
}

TEST_F(RefreshCompletion, LeavesTheRequestAsItWasWhenItCannotRenew) {
    const struct {
        const char* name;
        std::function<void(FakeServer&)> arrange;
        bool reLogin;  // (a dropped re-login may be sent twice: libcurl retries it on a fresh connection)
        int hostRefreshes;
        int unauthorised;
    } cases[] = {
        {"social session", [](FakeServer&) { storeSession(SessionType::social()); }, false, 1, 0},
        {"no stored password",
         [](FakeServer&) {
             storeSession(SessionType::password("pw"));
             CredentialsManager::shared().keychain().remove("sessionTypePassword");
         },
         false, 1, 0},
        {"not expired", [](FakeServer&) { storeSession(SessionType::password("pw"), "3600"); }, false, 0, 0},
        {"no expiry", [](FakeServer&) { storeSession(SessionType::password("pw"), std::nullopt); }, false, 0, 0},
        {"unreadable expiry",
         [](FakeServer&) {
             storeSession(SessionType::password("pw"));
             CredentialsManager::shared().setExpiryDateString("next tuesday");
         },
         false, 0, 0},
        {"renewal not mandatory",
         [](FakeServer&) {
             storeSession(SessionType::password("pw"));
             Lumeno::shared().tokenRefreshMandatory = false;
         },
         false, 0, 0},
        {"re-login refused",
         [](FakeServer& server) {
             storeSession(SessionType::password("pw"));
             server.on("POST", loginPath, Reply::json(R"({"errors":[{"code":"invalid_credentials"}]})", 401));
         },
         true, 0, 1},
        {"re-login reply without token",
         [](FakeServer& server) {
             storeSession(SessionType::password("pw"));
             server.on("POST", loginPath, Reply::json(R"({"expires_in":"3600"})"));
         },
         true, 0, 0},
        {"re-login reply that does not decode",
         [](FakeServer& server) {
             storeSession(SessionType::password("pw"));
             server.on("POST", loginPath, Reply::json(R"({"token":"new","success":"yes"})"));
         },
         true, 0, 0},
        {"re-login dropped",
         [](FakeServer& server) {
             storeSession(SessionType::password("pw"));
             server.on("POST", loginPath, Reply::dropped());
         },
         true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        const std::size_t loginsBefore = logins();
        c.arrange(server);

        hook();
        ASSERT_TRUE(test::waitFor([&] { return left.size() == 1; }));
        test::settle();
        EXPECT_EQ(left[0].headers.find("Authorization"), "JWT old");
        EXPECT_EQ(logins() > loginsBefore, c.reLogin);
        EXPECT_EQ(hostRefreshes, c.hostRefreshes);
        EXPECT_EQ(unauthorised, c.unauthorised);
        EXPECT_TRUE(refreshedTokens.empty());
        EXPECT_EQ(CredentialsManager::shared().token(), "old");
    }
}

TEST_F(RefreshCompletion, LeavesOtherSchemesAlone) {
    storeSession(SessionType::password("pw"));
    for (const char* authorization : {"", "Basic abc", "jwt old", "JWTold"}) hook(authorization);
    EXPECT_EQ(left.size(), 4u);
    test::settle();
    EXPECT_EQ(logins(), 0u);
}

TEST_F(RefreshCompletion, CancellingAHeldRequestCompletesItOnceAndSendsNothing) {
    storeSession(SessionType::password("pw"));
    const auto delivery = test::send(service::GetMemberDetails{"old"});
    delivery->handle->cancel();
    ASSERT_TRUE(test::waitFor([&] { return delivery->done() && !refreshedTokens.empty(); }));
    test::settle();
    EXPECT_EQ(delivery->calls, 1);
    EXPECT_EQ(delivery->failure(), "Request explicitly cancelled.");
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(server.requests()[0].path, loginPath);
}

TEST_F(RefreshCompletion, HeldRequestsLeaveThroughTheProviderWithTheNewToken) {
    storeSession(SessionType::password("pw"));
    const auto first = test::send(service::GetMemberDetails{"old"});
    const auto second = test::send(service::GetCountries{"old"});
    ASSERT_TRUE(test::waitFor([&] { return first->done() && second->done(); }));
    ASSERT_EQ(server.requestCount(), 3u);
    const auto requests = server.requests();
    EXPECT_EQ(requests[0].path, loginPath);
    for (std::size_t i = 1; i < 3; ++i) EXPECT_EQ(requests[i].headers.find("Authorization"), "JWT new");
}

}  // namespace
