#include "lumeno/core/lumeno.hpp"

#include <plist/plist.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <stdexcept>

#include "core/dynamic_library.hpp"
#include "core/fatal.hpp"
#include "core/shutdown.hpp"
#include "lumeno/core/main_queue.hpp"

namespace lumeno {

namespace {

// libplist is loaded the first time a property list is decoded: a host that configures the
// library in code never loads it.
#define LUMENO_PLIST_FUNCTIONS(X)                                                                   \
    X(plist_dict_get_item) X(plist_free) X(plist_from_memory) X(plist_get_bool_val)                 \
    X(plist_get_node_type) X(plist_get_string_ptr) X(plist_get_uint_val)
LUMENO_FUNCTION_TABLE(PlistFunctions, LUMENO_PLIST_FUNCTIONS);

/// libplist's functions, the library loaded on the first call; throws `std::runtime_error`
/// when it cannot be loaded.
const PlistFunctions& libplist() {
    static const auto loaded = detail::loadFunctions<PlistFunctions>("libplist-2.0.so.3");
    if (!loaded) throw std::runtime_error("Cannot load libplist: " + loaded.error());
    return *loaded;
}

/// Reads the keys of a property-list dictionary with the rules of a keyed decoder: an absent
/// key reads as nullopt, a present key of another type is a type mismatch.
class PlistDictionary {
public:
    PlistDictionary(const PlistFunctions& lib, plist_t dict) : lib_(lib), dict_(dict) {}

    template <class T>
    std::optional<T> optional(const char* key) const {
        if constexpr (std::is_same_v<T, std::string>) {
            plist_t node = item(key, PLIST_STRING, "String");
            if (node == nullptr) return std::nullopt;
            std::uint64_t length = 0;
            const char* text = lib_.plist_get_string_ptr(node, &length);
            return std::string(text, length);
        } else if constexpr (std::is_same_v<T, bool>) {
            plist_t node = item(key, PLIST_BOOLEAN, "Bool");
            if (node == nullptr) return std::nullopt;
            std::uint8_t value = 0;
            lib_.plist_get_bool_val(node, &value);
            return value != 0;
        } else {
            static_assert(std::is_same_v<T, std::int64_t>);
            plist_t node = item(key, PLIST_UINT, "Int");
            if (node == nullptr) return std::nullopt;
            std::uint64_t value = 0;
            lib_.plist_get_uint_val(node, &value);
            // libplist keeps every integer in 64 bits; negative ones in two's complement.
            return static_cast<std::int64_t>(value);
        }
    }

    template <class T>
    T required(const char* key) const {
        auto value = optional<T>(key);
        if (!value) throw std::runtime_error("keyNotFound: \"" + std::string(key) + "\"");
        return std::move(*value);
    }

private:
    plist_t item(const char* key, plist_type type, std::string_view typeName) const {
        plist_t node = lib_.plist_dict_get_item(dict_, key);
        if (node != nullptr && lib_.plist_get_node_type(node) != type)
            throw std::runtime_error("typeMismatch: \"" + std::string(key) + "\" expected " + std::string(typeName));
        return node;
    }

    const PlistFunctions& lib_;
    plist_t dict_;
};

}  // namespace

LumenoConfig LumenoConfig::decodePlist(std::string_view data) {
    const PlistFunctions& lib = libplist();
    plist_t root = nullptr;
    if (data.size() <= std::numeric_limits<std::uint32_t>::max())
        lib.plist_from_memory(data.data(), static_cast<std::uint32_t>(data.size()), &root);
    if (root == nullptr) throw std::runtime_error("Invalid plist");
    const std::unique_ptr<void, decltype(&plist_free)> owner(root, lib.plist_free);
    if (lib.plist_get_node_type(root) != PLIST_DICT)
        throw std::runtime_error("typeMismatch: expected Dictionary at the top level");

    const PlistDictionary dict(lib, root);
    return {
        .tenant = dict.required<std::string>("api_gateway"),
        .baseURL = dict.required<std::string>("base_url"),
        .apiKey = dict.required<std::string>("x-api-key"),
        .tokenType = dict.required<std::string>("token_type"),
        .programID = dict.required<std::int64_t>("program_id"),
        .programTimeZone = dict.optional<std::string>("program_time_zone"),
        .tokenRefreshMandatory = dict.optional<bool>("token_refresh_mandatory").value_or(false),
        .apiLogsEnabled = dict.optional<bool>("api_logs_enabled").value_or(false),
        .usev2Signup = dict.optional<bool>("use_v2_signup").value_or(false),
        .isReCaptchaEnabled = dict.optional<bool>("is_recaptcha_enabled").value_or(false),
        .reCaptchaSiteKey = dict.optional<std::string>("recaptcha_site_key"),
    };
}

Lumeno::Lumeno() : settings_(std::make_shared<const LumenoSettings>()) {}

Lumeno& Lumeno::shared() {
    static Lumeno instance;
    return instance;
}

void Lumeno::initialize(std::string_view file) {
    // A name that already ends in ".plist" is not given the suffix a second time; an absolute
    // path leaves the main bundle aside.
    std::string name(file);
    if (!name.ends_with(".plist")) name += ".plist";
    const std::filesystem::path path = std::filesystem::path(mainBundlePath()) / name;
    std::error_code ec;
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, ec)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        std::fprintf(stderr, "No configuration property list at %s\n", path.c_str());
        detail::fatal("Configuration plist missing");
    }
    const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) detail::fatal("Invalid plist");
    try {
        apply(LumenoConfig::decodePlist(data));
    } catch (const std::runtime_error& error) {
        detail::fatal(error.what());
    }
}

void Lumeno::apply(const LumenoConfig& config) {
    updateSettings([&](LumenoSettings& settings) { static_cast<LumenoConfig&>(settings) = config; });
    std::lock_guard lock(mutex_);
    configurationRead_ = true;
}

bool Lumeno::configurationRead() const {
    std::lock_guard lock(mutex_);
    return configurationRead_;
}

std::shared_ptr<const LumenoSettings> Lumeno::settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

void Lumeno::updateSettings(const std::function<void(LumenoSettings&)>& change) {
    // One change at a time, so that two changes never both start from the same snapshot.
    static std::mutex changing;
    std::lock_guard changeLock(changing);
    auto next = std::make_shared<LumenoSettings>(*settings());
    change(*next);
    std::lock_guard lock(mutex_);
    settings_ = std::move(next);
}

void Lumeno::updateAttributes(std::string apiKey, std::optional<std::string> reCaptchaSiteKey) {
    updateSettings([&](LumenoSettings& settings) {
        settings.apiKey = std::move(apiKey);
        settings.reCaptchaSiteKey = std::move(reCaptchaSiteKey);
    });
}

void Lumeno::setMainBundlePath(std::string path) {
    std::lock_guard lock(mutex_);
    mainBundlePath_ = std::move(path);
}

std::string Lumeno::mainBundlePath() const {
    {
        std::lock_guard lock(mutex_);
        if (!mainBundlePath_.empty()) return mainBundlePath_;
    }
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path(ec).string() : executable.parent_path().string();
}

void Lumeno::tokenDidRefresh(std::function<void(const std::string& token)> callback) {
    std::lock_guard lock(mutex_);
    tokenDidRefresh_ = std::move(callback);
}

void Lumeno::didUnauthorisedRequest(std::function<void()> callback) {
    std::lock_guard lock(mutex_);
    didUnauthorisedRequest_ = std::move(callback);
}

void Lumeno::setTokenRefresh(std::function<void()> callback) {
    std::lock_guard lock(mutex_);
    tokenRefresh_ = std::move(callback);
}

std::function<void(const std::string&)> Lumeno::tokenDidRefreshCallback() const {
    std::lock_guard lock(mutex_);
    return tokenDidRefresh_;
}

std::function<void()> Lumeno::didUnauthorisedRequestCallback() const {
    std::lock_guard lock(mutex_);
    return didUnauthorisedRequest_;
}

std::function<void()> Lumeno::tokenRefreshCallback() const {
    std::lock_guard lock(mutex_);
    return tokenRefresh_;
}

void Lumeno::shutdown() {
    detail::runShutdown();
    MainQueue::shared().setExecutor(nullptr);
}

}  // namespace lumeno
