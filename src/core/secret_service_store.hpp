#pragma once

// Credential items in the desktop's Secret Service (GNOME Keyring, KWallet) through libsecret.

#include <memory>
#include <mutex>

#include "lumeno/core/keychain_wrapper.hpp"

extern "C" {
typedef struct _SecretService SecretService;  // libsecret's connection to the service
}

namespace lumeno::detail {

/// A `SecretStore` on the Secret Service of the session bus. Items go to the default collection
/// under one schema whose attributes are the service name and the item key.
///
/// Every call is a blocking D-Bus round trip, so the library makes them only on the caller's
/// thread and the main queue, never on the I/O thread. Nothing prompts the user: an item of a
/// locked collection, or of a service that has gone, reads as absent, and a write or removal
/// that the service refuses or does not answer returns false.
class SecretServiceStore final : public SecretStore {
public:
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
    explicit SecretServiceStore(SecretService* service) : service_(service) {}

    std::mutex mutex_;  // one call at a time on the connection
    SecretService* service_;
};

}  // namespace lumeno::detail
