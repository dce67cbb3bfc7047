#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "lumeno/core/keychain_wrapper.hpp"

namespace lumeno::test {

/// An in-memory secret store that also records every change, in order, as
/// "set <key>=<value>", "remove <key>" or "remove all" (the service name left out).
class RecordingStore final : public SecretStore {
public:
    std::optional<std::string> read(std::string_view service, std::string_view key) override;
    bool write(std::string_view service, std::string_view key, std::string_view value) override;
    bool remove(std::string_view service, std::string_view key) override;
    bool removeAll(std::string_view service) override;

    /// The changes so far; clears the record.
    std::vector<std::string> takeLog();

private:
    void record(std::string entry);

    InMemorySecretStore items_;
    std::mutex mutex_;
    std::vector<std::string> log_;
};

}  // namespace lumeno::test
