#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace lumeno {

/// Where credential items live: the desktop's Secret Service, memory, or a store the host
/// plugs in. Implementations must be safe to call from any thread.
class SecretStore {
public:
    virtual ~SecretStore() = default;
    virtual std::optional<std::string> read(std::string_view service, std::string_view key) = 0;
    virtual bool write(std::string_view service, std::string_view key, std::string_view value) = 0;
    virtual bool remove(std::string_view service, std::string_view key) = 0;
    virtual bool removeAll(std::string_view service) = 0;
};

/// A `SecretStore` held in memory for the life of the process.
class InMemorySecretStore final : public SecretStore {
public:
    std::optional<std::string> read(std::string_view service, std::string_view key) override;
    bool write(std::string_view service, std::string_view key, std::string_view value) override;
    bool remove(std::string_view service, std::string_view key) override;
    bool removeAll(std::string_view service) override;

private:
    std::mutex mutex_;
    std::map<std::pair<std::string, std::string>, std::string, std::less<>> items_;
};

/// Text and integer items by key, under one service name, in a `SecretStore`.
class KeychainWrapper {
public:
    explicit KeychainWrapper(std::string serviceName);

    /// The store every wrapper uses: the host's own once it set one. Otherwise it is chosen on
    /// first use: the Secret Service when one answers on the session bus, else an
    /// `InMemorySecretStore` (and one line on stderr says so). Setting nullptr goes back to a
    /// new, empty in-memory store.
    static void setSecretStore(std::shared_ptr<SecretStore> store);
    static std::shared_ptr<SecretStore> secretStore();

    [[nodiscard]] const std::string& serviceName() const noexcept { return serviceName_; }

    bool set(std::string_view value, std::string_view key) const;
    bool set(std::int64_t value, std::string_view key) const;
    [[nodiscard]] std::optional<std::string> string(std::string_view key) const;
    /// The item read as an integer; nullopt when absent or not an integer.
    [[nodiscard]] std::optional<std::int64_t> integer(std::string_view key) const;
    bool remove(std::string_view key) const;
    bool removeAll() const;

private:
    std::string serviceName_;
};

}  // namespace lumeno
