#include "core/secret_service_store.hpp"

#include <libsecret/secret.h>

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <thread>
#include <utility>

#include "core/dynamic_library.hpp"

namespace lumeno::detail {
namespace {

// libsecret, with the GLib, GObject and GIO it brings, is loaded when the first store connects:
// a process that never keeps credentials there does not pay for loading them at start-up.
#define LUMENO_SECRET_FUNCTIONS(X)                                                                  \
    X(g_cancellable_cancel) X(g_cancellable_is_cancelled) X(g_cancellable_new) X(g_error_free)      \
    X(g_free) X(g_hash_table_insert) X(g_hash_table_new_full) X(g_hash_table_unref)                 \
    X(g_list_free_full) X(g_object_unref) X(g_str_equal) X(g_str_hash) X(g_strndup)                 \
    X(secret_item_get_secret) X(secret_service_clear_sync) X(secret_service_get_type)               \
    X(secret_service_open_sync) X(secret_service_search_sync) X(secret_service_store_sync)          \
    X(secret_value_get) X(secret_value_new) X(secret_value_unref)
LUMENO_FUNCTION_TABLE(SecretFunctions, LUMENO_SECRET_FUNCTIONS);

/// libsecret's functions, the library loaded on the first call; nullptr when it cannot be
/// loaded, which stores treat as a service that does not answer.
const SecretFunctions* loadLibsecret() {
    static const auto loaded = [] {
        auto functions = loadFunctions<SecretFunctions>("libsecret-1.so.0");
        if (!functions) std::fprintf(stderr, "lumeno: %s\n", functions.error().c_str());
        return functions;
    }();
    return loaded ? &*loaded : nullptr;
}

/// libsecret's functions where a store exists: a store only connects once they are loaded.
const SecretFunctions& libsecret() { return *loadLibsecret(); }

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
    const SecretFunctions& lib = libsecret();
    Attributes table(lib.g_hash_table_new_full(lib.g_str_hash, lib.g_str_equal, nullptr, lib.g_free),
                     lib.g_hash_table_unref);
    lib.g_hash_table_insert(table.get(), const_cast<char*>("service"), lib.g_strndup(service.data(), service.size()));
    if (key) lib.g_hash_table_insert(table.get(), const_cast<char*>("key"), lib.g_strndup(key->data(), key->size()));
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
        if (error_) libsecret().g_error_free(error_);
    }
    GError** slot() { return &error_; }
    explicit operator bool() const { return error_ != nullptr; }

private:
    GError* error_ = nullptr;
};

}  // namespace

/// Cancels the call in flight once its time has passed. One thread serves every call of a
/// store: it starts with the first and is stopped and joined with the watchdog.
class CallWatchdog {
public:
    /// Watches `cancellable` until `deadline`, in place of whatever it watched.
    void watch(GCancellable* cancellable, std::chrono::steady_clock::time_point deadline) {
        {
            std::lock_guard lock(mutex_);
            watched_ = cancellable;
            deadline_ = deadline;
            ++calls_;
            if (!thread_.joinable()) thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
        }
        changed_.notify_one();
    }

    /// Stops watching: once this returns, the watchdog no longer touches the cancellable.
    void release() {
        std::lock_guard lock(mutex_);
        watched_ = nullptr;
    }

private:
    void run(const std::stop_token& stop) {
        std::unique_lock lock(mutex_);
        while (changed_.wait(lock, stop, [this] { return watched_ != nullptr; })) {
            const auto call = calls_;
            const auto deadline = deadline_;
            // Another call, or none, before the deadline: watch again.
            if (changed_.wait_until(lock, stop, deadline, [&] { return calls_ != call || !watched_; })) continue;
            if (stop.stop_requested()) return;
            libsecret().g_cancellable_cancel(watched_);
            watched_ = nullptr;
        }
    }

    std::mutex mutex_;
    std::condition_variable_any changed_;
    GCancellable* watched_ = nullptr;
    std::chrono::steady_clock::time_point deadline_;
    std::uint64_t calls_ = 0;  // tells one watched call from the next
    std::jthread thread_;      // last: stopped and joined first
};

namespace {

/// The cancellable of one call, which `watchdog` cancels unless it is destroyed within `limit`.
class Deadline {
public:
    Deadline(CallWatchdog& watchdog, std::chrono::milliseconds limit) : watchdog_(watchdog) {
        watchdog_.watch(cancellable_.get(), std::chrono::steady_clock::now() + limit);
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;
    ~Deadline() { watchdog_.release(); }
    [[nodiscard]] GCancellable* cancellable() const { return cancellable_.get(); }
    [[nodiscard]] bool passed() const { return libsecret().g_cancellable_is_cancelled(cancellable_.get()); }

private:
    CallWatchdog& watchdog_;
    std::unique_ptr<GCancellable, decltype(&g_object_unref)> cancellable_{libsecret().g_cancellable_new(),
                                                                          libsecret().g_object_unref};
};

}  // namespace

template <typename Call>
auto SecretServiceStore::withService(const Call& call) {
    using Result = decltype(call(service_, nullptr, nullptr));
    std::lock_guard lock(mutex_);
    if (std::chrono::steady_clock::now() < unansweredUntil_) return Result{};
    const Deadline deadline(*watchdog_, callLimit);
    // A connection that an earlier call opened may be to a service that has gone since.
    for (bool retry = service_ != nullptr;; retry = false) {
        CallError error;
        if (!service_)
            service_ = libsecret().secret_service_open_sync(libsecret().secret_service_get_type(), nullptr,
                                                            SECRET_SERVICE_OPEN_SESSION, deadline.cancellable(),
                                                            error.slot());
        if (service_) {
            Result result = call(service_, deadline.cancellable(), error.slot());
            if (!error) return result;
            libsecret().g_object_unref(std::exchange(service_, nullptr));
        }
        if (deadline.passed()) {
            unansweredUntil_ = std::chrono::steady_clock::now() + callLimit;
            return Result{};
        }
        if (!retry) return Result{};
    }
}

std::shared_ptr<SecretServiceStore> SecretServiceStore::connect() {
    if (!loadLibsecret()) return nullptr;
    std::shared_ptr<SecretServiceStore> store(new SecretServiceStore);
    // Opening a session is a round trip to the service: it fails when no service answers.
    const bool answered = store->withService([](SecretService*, GCancellable*, GError**) { return true; });
    return answered ? store : nullptr;
}

SecretServiceStore::SecretServiceStore() : watchdog_(std::make_unique<CallWatchdog>()) {}

SecretServiceStore::~SecretServiceStore() {
    if (service_) libsecret().g_object_unref(service_);
}

std::optional<std::string> SecretServiceStore::read(std::string_view service, std::string_view key) {
    return withService([&](SecretService* secrets, GCancellable* cancellable, GError** error) {
        // Without SECRET_SEARCH_UNLOCK nothing prompts, and an item of a locked collection comes
        // without its secret.
        const SecretFunctions& lib = libsecret();
        GList* items = lib.secret_service_search_sync(secrets, schema(), attributes(service, key).get(),
                                                      SECRET_SEARCH_LOAD_SECRETS, cancellable, error);
        std::optional<std::string> text;
        for (GList* item = items; item && !text; item = item->next) {
            SecretValue* value = lib.secret_item_get_secret(static_cast<SecretItem*>(item->data));
            if (!value) continue;
            gsize length = 0;
            const gchar* data = lib.secret_value_get(value, &length);
            text.emplace(data, length);
            lib.secret_value_unref(value);
        }
        lib.g_list_free_full(items, lib.g_object_unref);
        return text;
    });
}

bool SecretServiceStore::write(std::string_view service, std::string_view key, std::string_view value) {
    const std::string label = std::string(service) + " " + std::string(key);  // what keyring managers list
    const SecretFunctions& lib = libsecret();
    const std::unique_ptr<SecretValue, decltype(&secret_value_unref)> secret(
        lib.secret_value_new(value.empty() ? "" : value.data(), static_cast<gssize>(value.size()), "text/plain"),
        lib.secret_value_unref);
    return withService([&](SecretService* secrets, GCancellable* cancellable, GError** error) -> bool {
        // Into the default collection, replacing the item with the same attributes.
        return lib.secret_service_store_sync(secrets, schema(), attributes(service, key).get(), nullptr,
                                             label.c_str(), secret.get(), cancellable, error);
    });
}

bool SecretServiceStore::remove(std::string_view service, std::string_view key) {
    return withService([&](SecretService* secrets, GCancellable* cancellable, GError** error) -> bool {
        return libsecret().secret_service_clear_sync(secrets, schema(), attributes(service, key).get(), cancellable,
                                                     error);
    });
}

bool SecretServiceStore::removeAll(std::string_view service) {
    // Nothing to remove is no failure: only the error counts.
    return withService([&](SecretService* secrets, GCancellable* cancellable, GError** error) {
        libsecret().secret_service_clear_sync(secrets, schema(), attributes(service).get(), cancellable, error);
        return true;
    });
}

}  // namespace lumeno::detail
