#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lumeno {

/// The configuration read from the host's property list.
///
/// Required keys: "api_gateway", "base_url", "x-api-key", "token_type" (strings) and
/// "program_id" (integer). Optional keys: "program_time_zone", "recaptcha_site_key" (strings;
/// absent when missing) and "token_refresh_mandatory", "api_logs_enabled", "use_v2_signup",
/// "is_recaptcha_enabled" (booleans; false when missing).
struct LumenoConfig {
    std::string tenant;   ///< the API gateway URL ("api_gateway")
    std::string baseURL;  ///< the pinned host's base URL ("base_url")
    std::string apiKey;
    std::string tokenType;
    std::int64_t programID = 0;
    std::optional<std::string> programTimeZone;
    bool tokenRefreshMandatory = false;
    bool apiLogsEnabled = false;
    bool usev2Signup = false;
    bool isReCaptchaEnabled = false;
    std::optional<std::string> reCaptchaSiteKey;

    /// Decodes a property list (XML or binary). Throws `std::runtime_error` with the
    /// decoder's message when the data is no property list, or a key is missing or mistyped.
    static LumenoConfig decodePlist(std::string_view data);
};

/// The entry object of the library: the settings every call reads (the configuration's values
/// and the ones below) and the host's callbacks. Initialise it once, before the first call,
/// from the main thread.
class Lumeno : public LumenoConfig {
public:
    static Lumeno& shared();

    /// Reads `<file>.plist` from the main bundle and takes its settings. A missing file stops
    /// the process with "Configuration plist missing", an unreadable one with "Invalid plist",
    /// a missing or mistyped key with the decoder's own message.
    void initialize(std::string_view file);

    /// Replaces the API key and the reCAPTCHA site key.
    void updateAttributes(std::string apiKey, std::optional<std::string> reCaptchaSiteKey);

    /// The folder that stands for the host's main bundle: the executable's folder unless set
    /// (an empty path goes back to that).
    void setMainBundlePath(std::filesystem::path path) { mainBundlePath_ = std::move(path); }
    [[nodiscard]] std::filesystem::path mainBundlePath() const;

    /// Told after the request hook renewed an expired password session; gets the new token.
    void tokenDidRefresh(std::function<void(const std::string& token)> callback) {
        tokenDidRefresh_ = std::move(callback);
    }
    /// Told when the request hook's re-login is refused (401 or 403): the stored session can
    /// no longer be renewed and the member has to sign in again.
    void didUnauthorisedRequest(std::function<void()> callback) { didUnauthorisedRequest_ = std::move(callback); }
    /// Told when a request leaves with an expired token that the hook cannot renew itself
    /// (a social session, or no stored password), so the host can renew it its own way.
    void setTokenRefresh(std::function<void()> callback) { tokenRefresh_ = std::move(callback); }

    [[nodiscard]] const auto& tokenDidRefreshCallback() const noexcept { return tokenDidRefresh_; }
    [[nodiscard]] const auto& didUnauthorisedRequestCallback() const noexcept { return didUnauthorisedRequest_; }
    [[nodiscard]] const auto& tokenRefreshCallback() const noexcept { return tokenRefresh_; }

    /// Copies every setting of a configuration into the entry object.
    void apply(const LumenoConfig& config) { static_cast<LumenoConfig&>(*this) = config; }

    /// The page size of the list calls that take none.
    std::int64_t defaultPageLimit = 50;

    std::string choosePasswordEndpoint = "/accounts/choose-password/";
    std::string changePasswordEndpoint = "/accounts/change-password/";
    std::string resetPasswordEndpoint = "/accounts/reset-password/";
    std::string doResetPasswordEndpoint = "/accounts/do-reset-password/";

private:
    Lumeno() = default;

    std::filesystem::path mainBundlePath_;
    std::function<void(const std::string&)> tokenDidRefresh_;
    std::function<void()> didUnauthorisedRequest_;
    std::function<void()> tokenRefresh_;
};

}  // namespace lumeno
