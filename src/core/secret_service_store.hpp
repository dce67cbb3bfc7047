#pragma once

// Credential items in the desktop's Secret Service (GNOME Keyring, KWallet) through libsecret.

#include <chrono>
#include <memory>
#include <mutex>

#include "lumeno/core/keychain_wrapper.hpp"

extern "C" {
typedef struct _SecretService SecretService;  // libsecret's connection to the service
}

namespace lumeno::detail {

class CallWatchdog;

/// A `SecretStore` on the Secret Service of the session bus. Items go to the default collection
/// under one schema whose attributes are the service name and the item key.
///
/// Every call is a blocking D-Bus round trip, so the library makes them only on the caller's
/// thread and the main queue, never on the I/O thread. Nothing prompts the user: an item of a
/// locked collection, or of a service that has gone, reads as absent, and a write or removal
/// that the service refuses or does not answer returns false.
///
/// A call that fails drops the connection and runs once more on a new one, so that a service
/// started again is used again. A call waits for the service `callLimit` at most; after a call
/// it left unanswered, calls fail at once for as long again, so that a frozen service holds up
/// one call rather than each of a session's. One thread of the store's, started with its first
/// call and ended with the store, cancels a call that outlives its limit.
class SecretServiceStore final : public SecretStore {
public:
    static constexpr std::chrono::milliseconds callLimit{2000};

    /// The store on the Secret Service that answers on the session bus; nullptr when none does.
    static std::shared_ptr<SecretServiceStore> connect();

    ~SecretServiceStore() override;
    SecretServiceStore(const SecretServiceStore&) = delete;
    SecretServiceStore& operator=(const SecretServiceStore&) = delete;

    std::optional<std::string> read(std::string_view service, std::string_view key) override;
    bool write(std::string_view service, std::string_view key, std::string_view value) override;
    bool remove(std::string_view service, std::string_view key) override;
    bool removeAll(std::string_view service) override;

private:
    SecretServiceStore();

    /// The result of `call(service, cancellable, error)` on the connection, opened first when
    /// there is none; the result's empty value when the call fails (it sets the error).
    template <typename Call>
    auto withService(const Call& call);

    std::mutex mutex_;  // one call at a time on the connection
    SecretService* service_ = nullptr;
    std::chrono::steady_clock::time_point unansweredUntil_;
    const std::unique_ptr<CallWatchdog> watchdog_;
};

}  // namespace lumeno::detail
