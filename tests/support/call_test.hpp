#pragma once

// Running public calls against the fake platform server.

#include <gtest/gtest.h>

#include <httplib.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lumeno/api/lumeno_request.hpp"
#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/lumeno.hpp"
#include "support/recording_store.hpp"
#include "support/transport.hpp"
#include "support/wait.hpp"

namespace lumeno::test {

/// A URL query, decoded, one entry per parameter.
inline std::multimap<std::string, std::string> parsedQuery(const std::string& query) {
    httplib::Params params;
    httplib::detail::parse_query_text(query, params);
    return {params.begin(), params.end()};
}

/// Starts one call and waits for its completion.
template <class T>
struct Call {
    std::optional<Result<T>> result;
    Handle handle;

    template <class Start>
    explicit Call(Start start) {
        handle = start([this](Result<T> r) { result = std::move(r); });
        test::waitFor([this] { return result.has_value(); });
    }
    decltype(auto) value() const { return result->value(); }
    const LumenoError& error() const { return result->error(); }
};

/// A call started with a token argument; its completion hears only success or failure.
using StartCall = std::function<Handle(const Token& token, Completion<void> done)>;

/// The completion of a call whose value a test does not look at.
template <class T>
Completion<T> statusOnly(Completion<void> done) {
    return [done = std::move(done)](Result<T> result) mutable {
        done(result ? Result<void>() : fail(std::move(result.error())));
    };
}

/// Which token a call sends.
enum class TokenRule {
    standard,  ///< the argument, else the stored token; with neither `invalidToken`, nothing sent
    none,      ///< no "Authorization", whatever is given or stored
    argument,  ///< the argument alone, never the stored token; without one it still sends
    otp,       ///< the call's own one-time-password token "otp", whatever is given or stored
};

/// One row of an area's call table: what the call sends and which token it takes.
struct CallRow {
    std::string_view name;
    StartCall start;
    std::string_view method;
    std::string_view path;  ///< below the gateway "/api"
    std::string_view body;  ///< JSON; empty: no body
    TokenRule rule = TokenRule::standard;
};

/// The session stored before a call.
enum class Session { none, password, social };

/// A fixture for call tests: the library pointed at a fake server under "/api", a new in-memory
/// credential store (never the desktop's keyring) that records its changes, emptied again after
/// each test.
class CallTest : public ::testing::Test {
protected:
    void SetUp() override {
        KeychainWrapper::setSecretStore(recording);
        test::useServer(server, "/api");
    }
    void TearDown() override {
        store().removeCredential();
        Lumeno::shared().isReCaptchaEnabled = Lumeno::shared().usev2Signup = false;
        test::resetTransport();
    }
    static const CredentialsManager& store() { return CredentialsManager::shared(); }
    static std::optional<std::string> item(std::string_view key) { return store().keychain().string(key); }
    static void storeEarlierSession() {
        store().storeCredential("old@example.com", "old-token", "3600", CredentialsManager::SessionType::password("pw0"));
    }
    /// Replaces the stored items with `session` ("old@example.com", "old-token", "pw0").
    static void storeSession(Session session);
    /// The store's changes since the last call, in order; "set expiry" without its value.
    std::vector<std::string> writes();
    /// Sends every row with no token, the stored one, a given one and an empty one, against replies of "{}",
    /// and checks method, path, body and "Authorization" (or `invalidToken` and nothing sent).
    void checkCalls(std::span<const CallRow> rows);
    /// Runs `start` (with the token "given") from `session` against `reply` and returns the
    /// store's changes; checks that the completion already saw the items as they end up.
    std::vector<std::string> writesOf(const StartCall& start, Reply reply, Session session);

    test::RecordedRequest sent() const { return server.requests().back(); }
    std::optional<std::string> sentHeader(std::string_view name) const {
        const auto request = sent();
        const auto value = request.headers.find(name);
        return value ? std::optional<std::string>(*value) : std::nullopt;
    }

    test::FakeServer server;
    std::shared_ptr<RecordingStore> recording = std::make_shared<RecordingStore>();
};

}  // namespace lumeno::test
