#pragma once

// Running public calls against the fake platform server.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "lumeno/api/lumeno_request.hpp"
#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/lumeno.hpp"
#include "support/transport.hpp"
#include "support/wait.hpp"

namespace lumeno::test {

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

/// A fixture for call tests: the library pointed at a fake server under "/api", a new in-memory
/// credential store (never the desktop's keyring) emptied again after each test.
class CallTest : public ::testing::Test {
protected:
    void SetUp() override {
        KeychainWrapper::setSecretStore(std::make_shared<InMemorySecretStore>());
        test::useServer(server, "/api");
    }
    void TearDown() override {
        store().removeCredential();
        Lumeno::shared().updateSettings(
            [](LumenoSettings& settings) { settings.isReCaptchaEnabled = settings.usev2Signup = false; });
        test::resetTransport();
    }
    static const CredentialsManager& store() { return CredentialsManager::shared(); }
    static std::optional<std::string> item(std::string_view key) { return store().keychain().string(key); }
    static void storeEarlierSession() {
        store().storeCredential("old@example.com", "old-token", "3600", CredentialsManager::SessionType::password("pw0"));
    }
    test::RecordedRequest sent() const { return server.requests().back(); }
    std::optional<std::string> sentHeader(std::string_view name) const {
        const auto request = sent();
        const auto value = request.headers.find(name);
        return value ? std::optional<std::string>(*value) : std::nullopt;
    }

    test::FakeServer server;
};

}  // namespace lumeno::test
