#include "core/secret_service_store.hpp"

#include <libsecret/secret.h>

#include <condition_variable>
#include <thread>

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

/// A cancellable that cancels itself unless it is destroyed within `limit`.
class Deadline {
public:
    explicit Deadline(std::chrono::milliseconds limit)
        : timer_([cancellable = cancellable_.get(), limit](std::stop_token stop) {
              std::mutex mutex;
              std::condition_variable_any woken;
              std::unique_lock lock(mutex);
              woken.wait_for(lock, stop, limit, [] { return false; });
              if (!stop.stop_requested()) g_cancellable_cancel(cancellable);
          }) {}
    [[nodiscard]] GCancellable* cancellable() const { return cancellable_.get(); }
    [[nodiscard]] bool passed() const { return g_cancellable_is_cancelled(cancellable_.get()); }

private:
    std::unique_ptr<GCancellable, decltype(&g_object_unref)> cancellable_{g_cancellable_new(), g_object_unref};
    std::jthread timer_;  // stopped and joined first, while the cancellable lives
};

}  // namespace

template <typename Call>
auto SecretServiceStore::withService(const Call& call) {
    using Result = decltype(call(service_, nullptr, nullptr));
    std::lock_guard lock(mutex_);
    if (std::chrono::steady_clock::now() < unansweredUntil_) return Result{};
    const Deadline deadline(callLimit);
    // A connection that an earlier call opened may be to a service that has gone since.
    for (bool retry = service_ != nullptr;; retry = false) {
        CallError error;
        if (!service_)
            service_ = secret_service_open_sync(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_OPEN_SESSION,
                                                deadline.cancellable(), error.slot());
        if (service_) {
            Result result = call(service_, deadline.cancellable(), error.slot());
            if (!error) return result;
            g_clear_object(&service_);
        }
        if (deadline.passed()) {
            unansweredUntil_ = std::chrono::steady_clock::now() + callLimit;
            return Result{};
        }
        if (!retry) return Result{};
    }
}

std::shared_ptr<SecretServiceStore> SecretServiceStore::connect() {
    std::shared_ptr<SecretServiceStore> store(new SecretServiceStore);
    // Opening a session is a round trip to the service: it fails when no service answers.
    const bool answered = store->withService([](SecretService*, GCancellable*, GError**) { return true; });
    return answered ? store : nullptr;
}

SecretServiceStore::~SecretServiceStore() { g_clear_object(&service_); }

std::optional<std::string> SecretServiceStore::read(std::string_view service, std::string_view key) {
    return withService([&](SecretService* secrets, GCancellable* cancellable, GError** error) {
        // Without SECRET_SEARCH_UNLOCK nothing prompts, and an item of a locked collection comes
        // without its secret.
        GList* items = secret_service_search_sync(secrets, schema(), attributes(service, key).get(),
                                                  SECRET_SEARCH_LOAD_SECRETS, cancellable, error);
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
    });
}

bool SecretServiceStore::write(std::string_view service, std::string_view key, std::string_view value) {
    const std::string label = std::string(service) + " " + std::string(key);  // what keyring managers list
    const std::unique_ptr<SecretValue, decltype(&secret_value_unref)> secret(
        secret_value_new(value.empty() ? "" : value.data(), static_cast<gssize>(value.size()), "text/plain"),
        secret_value_unref);
    return withService([&](SecretService* secrets, GCancellable* cancellable, GError** error) -> bool {
        // Into the default collection, replacing the item with the same attributes.
        return secret_service_store_sync(secrets, schema(), attributes(service, key).get(), nullptr, label.c_str(),
                                         secret.get(), cancellable, error);
    });
}

bool SecretServiceStore::remove(std::string_view service, std::string_view key) {
    return withService([&](SecretService* secrets, GCancellable* cancellable, GError** error) -> bool {
        return secret_service_clear_sync(secrets, schema(), attributes(service, key).get(), cancellable, error);
    });
}

bool SecretServiceStore::removeAll(std::string_view service) {
    // Nothing to remove is no failure: only the error counts.
    return withService([&](SecretService* secrets, GCancellable* cancellable, GError** error) {
        secret_service_clear_sync(secrets, schema(), attributes(service).get(), cancellable, error);
        return true;
    });
}

}  // namespace lumeno::detail
