#include "lumeno/core/credentials_manager.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "lumeno/core/lumeno.hpp"

namespace lumeno {

namespace {

/// The whole text as a finite number in the C locale ("3600", "3600.5", "3.6e3"); nullopt for
/// anything else, "inf", "nan", blanks and trailing characters included.
std::optional<double> finiteNumber(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

// A `Date` holds about 292 years either side of 1970; an expiry further out either way stops at this.
constexpr double kLatestExpirySeconds = 9.2e9;

// Tokens are renewed this long before the platform's expiry.
constexpr double kExpiryMarginSeconds = 120.0;

using Changes = std::vector<KeychainWrapper::Change>;

/// "sessionTypeKey", then "sessionTypePassword" for a password session only.
void addSessionType(Changes& changes, const CredentialsManager::SessionType& sessionType) {
    changes.push_back({CredentialsManager::sessionTypeKey, sessionType.isPassword() ? "0" : "1"});
    if (sessionType.isPassword())
        changes.push_back({CredentialsManager::sessionTypePasswordKey, sessionType.passwordText()});
}

}  // namespace

CredentialsManager& CredentialsManager::shared() {
    static CredentialsManager instance{KeychainWrapper(std::string(serviceName))};
    return instance;
}

CredentialsManager::CredentialsManager(KeychainWrapper keychain, std::function<Date()> now)
    : keychain_(std::move(keychain)),
      now_(now ? std::move(now) : [] { return std::chrono::system_clock::now(); }),
      formatter_("yyyy-MM-dd'T'HH:mm:ss.SSSZ", "en_US_POSIX",
                 programTimeZoneId(Lumeno::shared().settings()->programTimeZone)) {}

std::optional<std::string> CredentialsManager::lockedRead(std::string_view key) const {
    std::lock_guard lock(mutex_);
    return keychain_.string(key);
}

void CredentialsManager::lockedWrite(std::string_view key, const std::optional<std::string>& value) const {
    const KeychainWrapper::Change change{key, value};
    std::lock_guard lock(mutex_);
    keychain_.update({&change, 1});
}

std::optional<std::string> CredentialsManager::token() const { return lockedRead(tokenKey); }

void CredentialsManager::setToken(const std::optional<std::string>& token) const { lockedWrite(tokenKey, token); }

std::optional<std::string> CredentialsManager::expiryDateString() const { return lockedRead(expiryKey); }

void CredentialsManager::setExpiryDateString(const std::optional<std::string>& text) const {
    lockedWrite(expiryKey, text);
}

std::optional<Date> CredentialsManager::expiryDate() const {
    const auto text = expiryDateString();
    if (!text) return std::nullopt;
    return formatter_.date(*text);
}

void CredentialsManager::setExpiryDate(const std::optional<Date>& date) const {
    setExpiryDateString(date ? std::optional(formatter_.string(*date)) : std::nullopt);
}

void CredentialsManager::storeCredential(const std::optional<std::string>& username,
                                         const std::optional<std::string>& token,
                                         const std::optional<std::string>& expiryString,
                                         const SessionType& sessionType) const {
    const auto expiry = expiryText(expiryString);
    Changes changes{{userKey, username}, {tokenKey, token}};
    addSessionType(changes, sessionType);
    changes.push_back({expiryKey, expiry});
    std::lock_guard lock(mutex_);
    keychain_.update(changes);
}

void CredentialsManager::storeToken(const std::optional<std::string>& token, const std::optional<std::string>& expiry,
                                    const std::optional<SessionType>& sessionType) const {
    Changes changes{{tokenKey, token}, {expiryKey, expiry}};
    if (sessionType) addSessionType(changes, *sessionType);
    std::lock_guard lock(mutex_);
    keychain_.update(changes);
}

std::optional<std::string> CredentialsManager::expiryText(const std::optional<std::string>& expiresIn) const {
    return expiresIn ? std::optional(formatter_.string(expiryFrom(*expiresIn))) : std::nullopt;
}

void CredentialsManager::setSessionType(const SessionType& sessionType) const {
    Changes changes;
    addSessionType(changes, sessionType);
    std::lock_guard lock(mutex_);
    keychain_.update(changes);
}

CredentialsManager::Session CredentialsManager::session() const {
    std::lock_guard lock(mutex_);
    const auto items = keychain_.read({userKey, tokenKey, sessionTypeKey, sessionTypePasswordKey, expiryKey});
    const auto expiry = items.string(expiryKey);
    return {.user = items.string(userKey),
            .token = items.string(tokenKey),
            .sessionType = items.integer(sessionTypeKey),
            .password = items.string(sessionTypePasswordKey),
            .expiry = expiry ? formatter_.date(*expiry) : std::nullopt};
}

Date CredentialsManager::expiryFrom(std::string_view expiresIn) const {
    const Date now = now_();
    const auto seconds = finiteNumber(expiresIn);
    if (!seconds) return now;
    using Seconds = std::chrono::duration<double>;
    // The instant itself is clamped: an offset in range can still reach beyond what a `Date` holds.
    const double nowSeconds = std::chrono::duration_cast<Seconds>(now.time_since_epoch()).count();
    const double instant =
        std::clamp(nowSeconds + *seconds - kExpiryMarginSeconds, -kLatestExpirySeconds, kLatestExpirySeconds);
    return Date(std::chrono::duration_cast<Date::duration>(Seconds(instant)));
}

void CredentialsManager::removeCredential() const {
    // The session goes as one first, so that a store failing part-way leaves it whole.
    const Changes removals{{userKey, std::nullopt},
                           {tokenKey, std::nullopt},
                           {sessionTypeKey, std::nullopt},
                           {sessionTypePasswordKey, std::nullopt},
                           {expiryKey, std::nullopt}};
    std::lock_guard lock(mutex_);
    if (keychain_.update(removals)) keychain_.removeAll();
}

}  // namespace lumeno
