#include "support/recording_store.hpp"

#include <utility>

namespace lumeno::test {

std::optional<std::string> RecordingStore::read(std::string_view service, std::string_view key) {
    return items_.read(service, key);
}

bool RecordingStore::write(std::string_view service, std::string_view key, std::string_view value) {
    record("set " + std::string(key) + "=" + std::string(value));
    return items_.write(service, key, value);
}

bool RecordingStore::remove(std::string_view service, std::string_view key) {
    record("remove " + std::string(key));
    return items_.remove(service, key);
}

bool RecordingStore::removeAll(std::string_view service) {
    record("remove all");
    return items_.removeAll(service);
}

std::vector<std::string> RecordingStore::takeLog() {
    std::lock_guard lock(mutex_);
    return std::exchange(log_, {});
}

void RecordingStore::record(std::string entry) {
    std::lock_guard lock(mutex_);
    log_.push_back(std::move(entry));
}

}  // namespace lumeno::test
