#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "lumeno/core/keychain_wrapper.hpp"

namespace lumeno::test {

/// An in-memory secret store that also records every change, in order, as
/// "set <key>=<value>", "remove <key>" or "remove all" (the service name left out).
class RecordingStore final : public SecretStore {
public:
    std::optional<std::string> read(std::string_view service, std::string_view key) override {
        return items_.read(service, key);
    }
    bool write(std::string_view service, std::string_view key, std::string_view value) override {
        record("set " + std::string(key) + "=" + std::string(value));
        return items_.write(service, key, value);
    }
    bool remove(std::string_view service, std::string_view key) override {
        record("remove " + std::string(key));
        return items_.remove(service, key);
    }
    bool removeAll(std::string_view service) override {
        record("remove all");
        return items_.removeAll(service);
    }

    /// The changes so far; clears the record.
    std::vector<std::string> takeLog() {
        std::lock_guard lock(mutex_);
        return std::exchange(log_, {});
    }

private:
    void record(std::string entry) {
        std::lock_guard lock(mutex_);
        log_.push_back(std::move(entry));
    }

    InMemorySecretStore items_;
    std::mutex mutex_;
    std::vector<std::string> log_;
};

}  // namespace lumeno::test
