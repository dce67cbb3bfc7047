#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "lumeno/export.hpp"

namespace lumeno {

/// The configuration read from the host's property list.
///
/// Required keys: "api_gateway", "base_url", "x-api-key", "token_type" (strings) and
/// "program_id" (integer). Optional keys: "program_time_zone", "recaptcha_site_key" (strings;
/// absent when missing) and "token_refresh_mandatory", "api_logs_enabled", "use_v2_signup",
/// "is_recaptcha_enabled" (booleans; false when missing).
struct LUMENO_EXPORT LumenoConfig {
    std::string tenant;   ///< the API gateway URL ("api_gateway")
    std::string baseURL;  ///< the pinned host's base URL ("base_url")
    std::string apiKey;     ///< "x-api-key", sent as the header of that name
    std::string tokenType;  ///< the scheme before the token in "Authorization" ("token_type")
    std::int64_t programID = 0;  ///< the programme of point transfers ("program_id")
    /// The programme's zone abbreviation, for its dates ("program_time_zone").
    std::optional<std::string> programTimeZone;
    /// Whether the request hook renews an expired password session ("token_refresh_mandatory").
    bool tokenRefreshMandatory = false;
    bool apiLogsEnabled = false;      ///< whether the network log is written ("api_logs_enabled")
    bool usev2Signup = false;         ///< normal enrolment on the "v2" gateway ("use_v2_signup")
    bool isReCaptchaEnabled = false;  ///< whether the reCAPTCHA headers go out ("is_recaptcha_enabled")
    std::optional<std::string> reCaptchaSiteKey;  ///< "recaptcha_site_key"

    /// Decodes a property list (XML or binary). Throws `std::runtime_error` with the
    /// decoder's message when the data is no property list, or a key is missing or mistyped,
    /// and with "Cannot load libplist: " and the loader's reason when libplist cannot be loaded.
    static LumenoConfig decodePlist(std::string_view data);
};

/// Everything a request reads from the entry object: the configuration and the settings below.
struct LUMENO_EXPORT LumenoSettings : LumenoConfig {
    /// The page size of the list calls that take none.
    std::int64_t defaultPageLimit = 50;

    /// The paths, under the gateway, of `setMemberPassword`, `changePassword`, `resetPassword`
    /// and `doResetPassword`, in this order.
    std::string choosePasswordEndpoint = "/accounts/choose-password/";
    std::string changePasswordEndpoint = "/accounts/change-password/";
    std::string resetPasswordEndpoint = "/accounts/reset-password/";
    std::string doResetPasswordEndpoint = "/accounts/do-reset-password/";
};

/// The entry object of the library: the settings every call reads and the host's callbacks.
/// Initialise it once, before the first call. Safe from any thread: each request reads one
/// immutable snapshot of the settings, and a change replaces the snapshot in one step.
class LUMENO_EXPORT Lumeno {
public:
    /// The one entry object of the process.
    static Lumeno& shared();

    /// Reads `<file>.plist` from the main bundle (`file` as it is when it already ends in
    /// ".plist"; an absolute path as it is, wherever the main bundle lies) and takes its
    /// settings. A missing file stops the process with "Configuration plist missing", after a
    /// line on stderr with the path looked at; an unreadable one with "Invalid plist", a missing
    /// or mistyped key with the decoder's own message.
    void initialize(std::string_view file);

    /// Takes every setting of a configuration (the other settings stay); like `initialize`,
    /// this counts as reading the configuration.
    void apply(const LumenoConfig& config);

    /// Whether a configuration has been read (`initialize` or `apply`).
    [[nodiscard]] bool configurationRead() const;

    /// The settings as they stand: an immutable snapshot, to keep and read on any thread.
    [[nodiscard]] std::shared_ptr<const LumenoSettings> settings() const;

    /// Changes the settings: `change` edits a copy of the current ones, which then replaces
    /// them in one step. Requests already under way keep the snapshot they started with.
    void updateSettings(const std::function<void(LumenoSettings&)>& change);

    /// Replaces the API key and the reCAPTCHA site key.
    void updateAttributes(std::string apiKey, std::optional<std::string> reCaptchaSiteKey);

    /// The folder that stands for the host's main bundle: the executable's folder unless set
    /// (an empty path goes back to that). A `std::filesystem::path` converts to and from it.
    void setMainBundlePath(std::string path);
    /// The folder of the main bundle as it stands now: the one set, else the executable's.
    [[nodiscard]] std::string mainBundlePath() const;

    /// Told after the request hook renewed an expired password session; gets the new token.
    void tokenDidRefresh(std::function<void(const std::string& token)> callback);
    /// Told when the request hook's re-login is refused (401 or 403): the stored session can
    /// no longer be renewed and the member has to sign in again.
    void didUnauthorisedRequest(std::function<void()> callback);
    /// Told when a request leaves with an expired token that the hook cannot renew itself
    /// (a social session, or no stored password), so the host can renew it its own way.
    void setTokenRefresh(std::function<void()> callback);

    /// The callbacks as set now (empty when none).
    [[nodiscard]] std::function<void(const std::string&)> tokenDidRefreshCallback() const;
    /// The callback of `didUnauthorisedRequest`; empty when none.
    [[nodiscard]] std::function<void()> didUnauthorisedRequestCallback() const;
    /// The callback of `setTokenRefresh`; empty when none.
    [[nodiscard]] std::function<void()> tokenRefreshCallback() const;

    /// Stops the library before the host tears down what its completions use: no call is
    /// accepted any more (each new one fails with a cancelled `underlying` error, left on the
    /// main queue), the calls in flight are abandoned and their completions dropped, not run,
    /// the I/O thread ends, and the main queue's executor is dropped. Completions already on
    /// the main queue stay there. The library does the same at static destruction when the
    /// host did not.
    static void shutdown();

private:
    Lumeno();

    mutable std::mutex mutex_;
    std::shared_ptr<const LumenoSettings> settings_;
    bool configurationRead_ = false;
    std::string mainBundlePath_;
    std::function<void(const std::string&)> tokenDidRefresh_;
    std::function<void()> didUnauthorisedRequest_;
    std::function<void()> tokenRefresh_;
};

}  // namespace lumeno
