#include "lumeno/core/lumeno.hpp"

#include <plist/plist.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <stdexcept>

#include "core/fatal.hpp"
#include "core/shutdown.hpp"
#include "lumeno/core/main_queue.hpp"

namespace lumeno {

namespace {

/// Reads the keys of a property-list dictionary with the rules of a keyed decoder: an absent
/// key reads as nullopt, a present key of another type is a type mismatch.
class PlistDictionary {
public:
    explicit PlistDictionary(plist_t dict) : dict_(dict) {}

    template <class T>
    std::optional<T> optional(const char* key) const {
        if constexpr (std::is_same_v<T, std::string>) {
            plist_t node = item(key, PLIST_STRING, "String");
            if (node == nullptr) return std::nullopt;
            std::uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            return std::string(text, length);
        } else if constexpr (std::is_same_v<T, bool>) {
            plist_t node = item(key, PLIST_BOOLEAN, "Bool");
            if (node == nullptr) return std::nullopt;
            std::uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return value != 0;
        } else {
            static_assert(std::is_same_v<T, std::int64_t>);
            plist_t node = item(key, PLIST_UINT, "Int");
            if (node == nullptr) return std::nullopt;
            std::uint64_t value = 0;
            plist_get_uint_val(node, &value);
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
        plist_t node = plist_dict_get_item(dict_, key);
        if (node != nullptr && plist_get_node_type(node) != type)
            throw std::runtime_error("typeMismatch: \"" + std::string(key) + "\" expected " + std::string(typeName));
        return node;
    }

    plist_t dict_;
};

}  // namespace

LumenoConfig LumenoConfig::decodePlist(std::string_view data) {
    plist_t root = nullptr;
    if (data.size() <= std::numeric_limits<std::uint32_t>::max())
        plist_from_memory(data.data(), static_cast<std::uint32_t>(data.size()), &root);
    if (root == nullptr) throw std::runtime_error("Invalid plist");
    const std::unique_ptr<void, decltype(&plist_free)> owner(root, &plist_free);
    if (plist_get_node_type(root) != PLIST_DICT)
        throw std::runtime_error("typeMismatch: expected Dictionary at the top level");

    const PlistDictionary dict(root);
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
    const std::filesystem::path path = std::filesystem::path(mainBundlePath()) / (std::string(file) + ".plist");
    std::error_code ec;
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, ec)) in.open(path, std::ios::binary);
    if (!in.is_open()) detail::fatal("Configuration plist missing");
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
