#include "core/secret_service_store.hpp"

#include <libsecret/secret.h>

namespace lumeno::detail {
namespace {

/// The attributes of every item of the library: the service name and the item key. The schema's
/// name is an attribute of the item too, so other programs' items never match.
const SecretSchema* schema() {
    static const SecretSchema schema = [] {
        SecretSchema s{};
        s.name = "lumeno.SecretItem";
        s.flags = SECRET_SCHEMA_NONE;
        s.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[1] = {"key", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return s;
    }();
    return &schema;
}

using Attributes = std::unique_ptr<GHashTable, decltype(&g_hash_table_unref)>;

/// The attributes of one item, or of every item of `service` without a key.
Attributes attributes(std::string_view service, std::optional<std::string_view> key = std::nullopt) {
    Attributes table(g_hash_table_new_full(g_str_hash, g_str_equal, nullptr, g_free), g_hash_table_unref);
    g_hash_table_insert(table.get(), const_cast<char*>("service"), g_strndup(service.data(), service.size()));
    if (key) g_hash_table_insert(table.get(), const_cast<char*>("key"), g_strndup(key->data(), key->size()));
    return table;
}

/// The error slot of one libsecret call. The error itself is dropped: the store's callers
/// learn only that the call failed.
class CallError {
public:
    CallError() = default;
    CallError(const CallError&) = delete;
    CallError& operator=(const CallError&) = delete;
    ~CallError() {
        if (error_) g_error_free(error_);
    }
    GError** slot() { return &error_; }
    explicit operator bool() const { return error_ != nullptr; }

private:
    GError* error_ = nullptr;
};

}  // namespace

std::shared_ptr<SecretServiceStore> SecretServiceStore::connect() {
    // Opening a session is a round trip to the service: it fails when no service answers.
    CallError error;
    SecretService* service =
        secret_service_open_sync(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_OPEN_SESSION, nullptr, error.slot());
    if (!service) return nullptr;
    return std::shared_ptr<SecretServiceStore>(new SecretServiceStore(service));
}

SecretServiceStore::~SecretServiceStore() { g_object_unref(service_); }

std::optional<std::string> SecretServiceStore::read(std::string_view service, std::string_view key) {
    std::lock_guard lock(mutex_);
    CallError error;
    // Without SECRET_SEARCH_UNLOCK nothing prompts, and an item of a locked collection comes
    // without its secret.
    GList* items = secret_service_search_sync(service_, schema(), attributes(service, key).get(),
                                              SECRET_SEARCH_LOAD_SECRETS, nullptr, error.slot());
    std::optional<std::string> text;
    for (GList* item = items; item && !text; item = item->next) {
        SecretValue* value = secret_item_get_secret(SECRET_ITEM(item->data));
        if (!value) continue;
        gsize length = 0;
        const gchar* data = secret_value_get(value, &length);
        text.emplace(data, length);
        secret_value_unref(value);
    }
    g_list_free_full(items, g_object_unref);
    return text;
}

bool SecretServiceStore::write(std::string_view service, std::string_view key, std::string_view value) {
    const std::string label = std::string(service) + " " + std::string(key);  // what keyring managers list
    SecretValue* secret =
        secret_value_new(value.empty() ? "" : value.data(), static_cast<gssize>(value.size()), "text/plain");
    std::lock_guard lock(mutex_);
    CallError error;
    // Into the default collection, replacing the item with the same attributes.
    const bool stored = secret_service_store_sync(service_, schema(), attributes(service, key).get(), nullptr,
                                                  label.c_str(), secret, nullptr, error.slot());
    secret_value_unref(secret);
    return stored;
}

bool SecretServiceStore::remove(std::string_view service, std::string_view key) {
    std::lock_guard lock(mutex_);
    CallError error;
    return secret_service_clear_sync(service_, schema(), attributes(service, key).get(), nullptr, error.slot());
}

bool SecretServiceStore::removeAll(std::string_view service) {
    std::lock_guard lock(mutex_);
    CallError error;
    secret_service_clear_sync(service_, schema(), attributes(service).get(), nullptr, error.slot());
    return !error;
}

}  // namespace lumeno::detail
