#include "lumeno/core/keychain_wrapper.hpp"

#include <charconv>

#ifdef LUMENO_WITH_LIBSECRET
#include <iostream>

#include "core/secret_service_store.hpp"
#endif

namespace lumeno {

namespace {

std::pair<std::string, std::string> itemKey(std::string_view service, std::string_view key) {
    return {std::string(service), std::string(key)};
}

std::mutex storeMutex;

/// The store of first use when the host set none: the session bus's Secret Service when one
/// answers, else memory.
std::shared_ptr<SecretStore> defaultStore() {
#ifdef LUMENO_WITH_LIBSECRET
    if (auto store = detail::SecretServiceStore::connect()) return store;
    std::cerr << "lumeno: no Secret Service answers on the session bus; credentials are kept in memory only"
              << std::endl;
#endif
    return std::make_shared<InMemorySecretStore>();
}

std::shared_ptr<SecretStore>& currentStore() {
    static std::shared_ptr<SecretStore> store;  // chosen on first use
    return store;
}

}  // namespace

std::optional<std::string> InMemorySecretStore::read(std::string_view service, std::string_view key) {
    std::lock_guard lock(mutex_);
    auto it = items_.find(itemKey(service, key));
    if (it == items_.end()) return std::nullopt;
    return it->second;
}

bool InMemorySecretStore::write(std::string_view service, std::string_view key, std::string_view value) {
    std::lock_guard lock(mutex_);
    items_.insert_or_assign(itemKey(service, key), std::string(value));
    return true;
}

bool InMemorySecretStore::remove(std::string_view service, std::string_view key) {
    std::lock_guard lock(mutex_);
    return items_.erase(itemKey(service, key)) > 0;
}

bool InMemorySecretStore::removeAll(std::string_view service) {
    std::lock_guard lock(mutex_);
    const auto first = items_.lower_bound(itemKey(service, ""));
    auto last = first;
    while (last != items_.end() && last->first.first == service) ++last;
    items_.erase(first, last);
    return true;
}

KeychainWrapper::KeychainWrapper(std::string serviceName) : serviceName_(std::move(serviceName)) {}

void KeychainWrapper::setSecretStore(std::shared_ptr<SecretStore> store) {
    std::lock_guard lock(storeMutex);
    currentStore() = store ? std::move(store) : std::make_shared<InMemorySecretStore>();
}

std::shared_ptr<SecretStore> KeychainWrapper::secretStore() {
    std::lock_guard lock(storeMutex);
    auto& store = currentStore();
    if (!store) store = defaultStore();
    return store;
}

bool KeychainWrapper::set(std::string_view value, std::string_view key) const {
    return secretStore()->write(serviceName_, key, value);
}

bool KeychainWrapper::set(std::int64_t value, std::string_view key) const { return set(std::to_string(value), key); }

std::optional<std::string> KeychainWrapper::string(std::string_view key) const {
    return secretStore()->read(serviceName_, key);
}

std::optional<std::int64_t> KeychainWrapper::integer(std::string_view key) const {
    const auto text = string(key);
    if (!text) return std::nullopt;
    std::int64_t value = 0;
    const char* end = text->data() + text->size();
    auto [ptr, ec] = std::from_chars(text->data(), end, value);
    if (ec != std::errc{} || ptr != end) return std::nullopt;
    return value;
}

bool KeychainWrapper::remove(std::string_view key) const { return secretStore()->remove(serviceName_, key); }

bool KeychainWrapper::removeAll() const { return secretStore()->removeAll(serviceName_); }

}  // namespace lumeno
