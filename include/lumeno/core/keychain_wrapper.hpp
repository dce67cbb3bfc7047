#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lumeno {

/// Where credential items live: the desktop's Secret Service, memory, or a store the host
/// plugs in. Implementations must be safe to call from any thread.
class SecretStore {
public:
    virtual ~SecretStore() = default;
    /// The item of `key` under `service`; nullopt when there is none or it cannot be read.
    virtual std::optional<std::string> read(std::string_view service, std::string_view key) = 0;
    /// Writes the item, replacing one of the same key; false when the store refused.
    virtual bool write(std::string_view service, std::string_view key, std::string_view value) = 0;
    /// Removes the item; false when the store refused or had no such item.
    virtual bool remove(std::string_view service, std::string_view key) = 0;
    /// Removes every item of `service`; false when the store refused.
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
///
/// Several items changed together (`update`) are changed as one, whatever the store: the
/// changes are first written as the one item `pendingKey`, then to their own items, and that
/// item is removed last. While it is there, every read through a wrapper, in this process or
/// the next, takes the values it holds, and the next change of the service carries them over;
/// a store that fails part-way thus leaves the earlier items or the new ones, never a mix.
/// Changes of one service from two threads at once are ordered by their caller (the
/// credentials manager holds its lock).
class KeychainWrapper {
public:
    /// The item that holds the changes of an `update` until all are in place.
    static constexpr std::string_view pendingKey = "lumeno.pendingChanges";

    /// One item's new value; nullopt removes the item.
    struct Change {
        std::string_view key;
        std::optional<std::string_view> value;
    };

    /// Items read together (`read`).
    class Items {
    public:
        /// The item of `key`, when it was one of those read and is there.
        [[nodiscard]] std::optional<std::string> string(std::string_view key) const;
        /// The item of `key` read as an integer; nullopt when absent or not an integer.
        [[nodiscard]] std::optional<std::int64_t> integer(std::string_view key) const;

    private:
        friend class KeychainWrapper;
        std::map<std::string, std::optional<std::string>, std::less<>> values_;
    };

    /// A wrapper over the items of `serviceName` in the current store.
    explicit KeychainWrapper(std::string serviceName);

    /// The store every wrapper uses: the host's own once it set one. Otherwise it is chosen on
    /// first use: the Secret Service when one answers on the session bus, else an
    /// `InMemorySecretStore` (and one line on stderr says so). Setting nullptr goes back to a
    /// new, empty in-memory store.
    static void setSecretStore(std::shared_ptr<SecretStore> store);
    /// The store in use, chosen as `setSecretStore` tells.
    static std::shared_ptr<SecretStore> secretStore();

    /// The service name of the wrapper's items.
    [[nodiscard]] const std::string& serviceName() const noexcept { return serviceName_; }

    /// Writes the text item, as a one-item `update`; true when it is in place.
    bool set(std::string_view value, std::string_view key) const;
    /// Writes the integer in decimal, as `set` writes a text.
    bool set(std::int64_t value, std::string_view key) const;
    /// The text item; nullopt when absent.
    [[nodiscard]] std::optional<std::string> string(std::string_view key) const;
    /// The item read as an integer; nullopt when absent or not an integer.
    [[nodiscard]] std::optional<std::int64_t> integer(std::string_view key) const;
    /// False when the store refused or, with no change of the service pending, had no such item.
    bool remove(std::string_view key) const;
    /// Removes every item of the service straight from the store; false when it refused.
    bool removeAll() const;

    /// Changes the items as one, in order; true when every change is in place.
    bool update(std::span<const Change> changes) const;
    /// The items of `keys`, read together.
    [[nodiscard]] Items read(std::initializer_list<std::string_view> keys) const;

private:
    std::string serviceName_;
};

}  // namespace lumeno
