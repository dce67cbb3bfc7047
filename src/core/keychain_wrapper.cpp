#include "lumeno/core/keychain_wrapper.hpp"

#include <algorithm>
#include <charconv>
#include <vector>

#ifdef LUMENO_WITH_LIBSECRET
#include <cstdio>

#include "core/secret_service_store.hpp"
#endif

namespace lumeno {

namespace {

std::pair<std::string, std::string> itemKey(std::string_view service, std::string_view key) {
    return {std::string(service), std::string(key)};
}

std::mutex storeMutex;

/// Changes not yet all in place, in order: each item's key and new value (nullopt: removed).
using Changes = std::vector<std::pair<std::string, std::optional<std::string>>>;

/// Changes as the text of the pending item: each change is its key, then "-" for a removal or
/// the value, each text written as "<size>:<text>".
std::string encode(const Changes& changes) {
    std::string text;
    const auto append = [&text](std::string_view field) {
        text += std::to_string(field.size());
        text += ':';
        text += field;
    };
    for (const auto& [key, value] : changes) {
        append(key);
        if (value)
            append(*value);
        else
            text += '-';
    }
    return text;
}

/// The changes of a pending item's text; nullopt when the text is not one.
std::optional<Changes> decode(std::string_view text) {
    const auto field = [&text]() -> std::optional<std::string> {
        std::size_t size = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), size);
        const auto start = static_cast<std::size_t>(end - text.data()) + 1;
        if (ec != std::errc{} || start > text.size() || text[start - 1] != ':' || text.size() - start < size)
            return std::nullopt;
        std::string value(text.substr(start, size));
        text.remove_prefix(start + size);
        return value;
    };
    Changes changes;
    while (!text.empty()) {
        auto key = field();
        if (!key) return std::nullopt;
        if (text.starts_with('-')) {
            text.remove_prefix(1);
            changes.emplace_back(std::move(*key), std::nullopt);
        } else if (auto value = field()) {
            changes.emplace_back(std::move(*key), std::move(value));
        } else {
            return std::nullopt;
        }
    }
    return changes;
}

/// The changes pending in `service`; none when its pending item is absent or unreadable.
Changes pendingChanges(SecretStore& store, std::string_view service) {
    const auto text = store.read(service, KeychainWrapper::pendingKey);
    auto changes = text ? decode(*text) : std::nullopt;
    return changes ? std::move(*changes) : Changes{};
}

/// The store of first use when the host set none: the session bus's Secret Service when one
/// answers, else memory.
std::shared_ptr<SecretStore> defaultStore() {
#ifdef LUMENO_WITH_LIBSECRET
    if (auto store = detail::SecretServiceStore::connect()) return store;
    std::fputs("lumeno: no Secret Service answers on the session bus; credentials are kept in memory only\n", stderr);
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
    const Change change{key, value};
    return update({&change, 1});
}

bool KeychainWrapper::set(std::int64_t value, std::string_view key) const { return set(std::to_string(value), key); }

std::optional<std::string> KeychainWrapper::string(std::string_view key) const { return read({key}).string(key); }

std::optional<std::int64_t> KeychainWrapper::integer(std::string_view key) const { return read({key}).integer(key); }

bool KeychainWrapper::remove(std::string_view key) const {
    const Change change{key, std::nullopt};
    return update({&change, 1});
}

bool KeychainWrapper::removeAll() const { return secretStore()->removeAll(serviceName_); }

bool KeychainWrapper::update(std::span<const Change> changes) const {
    const auto store = secretStore();
    Changes all = pendingChanges(*store, serviceName_);
    const bool pending = !all.empty();
    for (const auto& [key, value] : changes) {
        std::optional<std::string> text(value);
        if (const auto it = std::ranges::find(all, key, &Changes::value_type::first); it != all.end())
            it->second = std::move(text);
        else
            all.emplace_back(key, std::move(text));
    }
    if (!pending && all.size() == 1) {  // one item is written whole by any store
        const auto& [key, value] = all.front();
        return value ? store->write(serviceName_, key, *value) : store->remove(serviceName_, key);
    }
    if (!store->write(serviceName_, pendingKey, encode(all))) return false;
    // A removal is in place when the item has gone, whether or not this call removed it.
    const bool applied = std::ranges::all_of(all, [&](const auto& change) {
        const auto& [key, value] = change;
        return value ? store->write(serviceName_, key, *value)
                     : store->remove(serviceName_, key) || !store->read(serviceName_, key);
    });
    return applied && store->remove(serviceName_, pendingKey);
}

KeychainWrapper::Items KeychainWrapper::read(std::initializer_list<std::string_view> keys) const {
    const auto store = secretStore();
    const Changes pending = pendingChanges(*store, serviceName_);
    Items items;
    for (const auto key : keys) {
        const auto change = std::ranges::find(pending, key, &Changes::value_type::first);
        items.values_.insert_or_assign(std::string(key),
                                       change != pending.end() ? change->second : store->read(serviceName_, key));
    }
    return items;
}

std::optional<std::string> KeychainWrapper::Items::string(std::string_view key) const {
    const auto it = values_.find(key);
    return it != values_.end() ? it->second : std::nullopt;
}

std::optional<std::int64_t> KeychainWrapper::Items::integer(std::string_view key) const {
    const auto text = string(key);
    if (!text) return std::nullopt;
    std::int64_t value = 0;
    const char* end = text->data() + text->size();
    auto [ptr, ec] = std::from_chars(text->data(), end, value);
    if (ec != std::errc{} || ptr != end) return std::nullopt;
    return value;
}

}  // namespace lumeno
