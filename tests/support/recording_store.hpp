#pragma once

#include <cstddef>
#include <limits>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "lumeno/core/keychain_wrapper.hpp"

namespace lumeno::test {

/// An in-memory secret store that also records every change, in order, as
/// "set <key>=<value>", "remove <key>" or "remove all" (the service name left out). The item
/// in which the keychain wrapper holds an update's changes until all are in place is changed
/// like any other but left out of the record, which lists the items a call changes.
class RecordingStore final : public SecretStore {
public:
    std::optional<std::string> read(std::string_view service, std::string_view key) override {
        return items_.read(service, key);
    }
    bool write(std::string_view service, std::string_view key, std::string_view value) override {
        return accept(key, "set " + std::string(key) + "=" + std::string(value)) && items_.write(service, key, value);
    }
    bool remove(std::string_view service, std::string_view key) override {
        return accept(key, "remove " + std::string(key)) && items_.remove(service, key);
    }
    bool removeAll(std::string_view service) override {
        return accept({}, "remove all") && items_.removeAll(service);
    }

    /// Accepts `changes` more changes, then refuses every one (false, nothing changed, nothing
    /// recorded), as a store that fails part-way through does.
    void acceptOnly(std::size_t changes) {
        std::lock_guard lock(mutex_);
        accepted_ = changes;
    }

    /// The changes so far; clears the record.
    std::vector<std::string> takeLog() {
        std::lock_guard lock(mutex_);
        return std::exchange(log_, {});
    }

private:
    bool accept(std::string_view key, std::string entry) {
        std::lock_guard lock(mutex_);
        if (accepted_ == 0) return false;
        --accepted_;
        if (key != KeychainWrapper::pendingKey) log_.push_back(std::move(entry));
        return true;
    }

    InMemorySecretStore items_;
    std::mutex mutex_;
    std::size_t accepted_ = std::numeric_limits<std::size_t>::max();
    std::vector<std::string> log_;
};

}  // namespace lumeno::test
