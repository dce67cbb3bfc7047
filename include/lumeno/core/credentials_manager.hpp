#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "lumeno/core/date_utils.hpp"
#include "lumeno/core/keychain_wrapper.hpp"

namespace lumeno {

/// The member's credentials in the secret store, under the library's own service name.
///
/// Items: "user", "token", "expiry" (text, "yyyy-MM-dd'T'HH:mm:ss.SSSZ"), "sessionTypeKey"
/// (integer: 0 password, 1 social) and "sessionTypePassword" (the password of a password
/// session, clear text: the request hook needs it to log in again).
///
/// Every read and write through the manager holds one lock, so that `session()` never sees
/// half of a session that `storeCredential` is writing; and the items a call writes together
/// are written as one (`KeychainWrapper::update`), so that a store failing part-way leaves,
/// for this process and the next, the earlier session or the new one, never a mix.
class CredentialsManager {
public:
    /// The kind of session the stored token belongs to.
    class SessionType {
    public:
        /// A password session, renewed by the request hook with `password`.
        static SessionType password(std::string password) { return SessionType(std::move(password)); }
        /// A social session, which the request hook does not renew.
        static SessionType social() { return SessionType(std::nullopt); }
        /// Whether this is a password session.
        [[nodiscard]] bool isPassword() const noexcept { return password_.has_value(); }
        /// The password of a password session; nullopt for a social one.
        [[nodiscard]] const std::optional<std::string>& passwordText() const noexcept { return password_; }

    private:
        explicit SessionType(std::optional<std::string> password) : password_(std::move(password)) {}
        std::optional<std::string> password_;
    };

    /// The service name of the items.
    static constexpr std::string_view serviceName = "lumeno.credentials";
    /// The keys of the items, as listed above.
    static constexpr std::string_view userKey = "user";
    static constexpr std::string_view tokenKey = "token";
    static constexpr std::string_view expiryKey = "expiry";
    static constexpr std::string_view sessionTypeKey = "sessionTypeKey";
    static constexpr std::string_view sessionTypePasswordKey = "sessionTypePassword";

    /// The manager the calls and the request hook use, over `serviceName`.
    static CredentialsManager& shared();

    /// A store around its own wrapper; `now` is the clock of expiry arithmetic.
    explicit CredentialsManager(KeychainWrapper keychain, std::function<Date()> now = nullptr);

    /// The items of a session, read together.
    struct Session {
        std::optional<std::string> user;
        std::optional<std::string> token;
        std::optional<std::int64_t> sessionType;  ///< 0 password, 1 social
        std::optional<std::string> password;      ///< of a password session
        std::optional<Date> expiry;               ///< nullopt when absent or unreadable
    };

    /// The wrapper the items go through.
    [[nodiscard]] const KeychainWrapper& keychain() const noexcept { return keychain_; }

    /// The stored session as one snapshot.
    [[nodiscard]] Session session() const;

    /// The "token" item; nullopt when absent.
    [[nodiscard]] std::optional<std::string> token() const;
    /// Writes the "token" item; nullopt removes it.
    void setToken(const std::optional<std::string>& token) const;

    /// The "expiry" item as stored; nullopt when absent.
    [[nodiscard]] std::optional<std::string> expiryDateString() const;
    /// Writes the "expiry" item as the text given; nullopt removes it.
    void setExpiryDateString(const std::optional<std::string>& text) const;

    /// The "expiry" item read with the store's formatter; nullopt when absent or unreadable.
    [[nodiscard]] std::optional<Date> expiryDate() const;
    /// Writes the "expiry" item with the store's formatter; nullopt removes it.
    void setExpiryDate(const std::optional<Date>& date) const;

    /// Writes as one, in this order: "user", "token" (each removed when nullopt), "sessionTypeKey",
    /// "sessionTypePassword" for a password session only, then "expiry" = now + (expiryString
    /// as a number - 120 s), now when it is no number, removed when nullopt. A write the store
    /// refuses is not reported.
    void storeCredential(const std::optional<std::string>& username, const std::optional<std::string>& token,
                         const std::optional<std::string>& expiryString, const SessionType& sessionType) const;

    /// Replaces the token as one change, in this order: "token", "expiry" = `expiry`, the item's
    /// text (each removed when nullopt), then, when a session type is given, its items as
    /// `setSessionType` writes them. "user" stays as it is. A write the store refuses is not
    /// reported.
    void storeToken(const std::optional<std::string>& token, const std::optional<std::string>& expiry,
                    const std::optional<SessionType>& sessionType) const;

    /// The "expiry" text of a token that lives `expiresIn` seconds (`expiryFrom`, written by the
    /// store's formatter); nullopt when `expiresIn` is.
    [[nodiscard]] std::optional<std::string> expiryText(const std::optional<std::string>& expiresIn) const;

    /// Writes "sessionTypeKey" and, for a password session, then "sessionTypePassword" (a social
    /// session leaves a stored password as it is), together.
    void setSessionType(const SessionType& sessionType) const;

    /// The expiry of a token that lives `expiresIn` seconds (text): now + that - 120 s, or now
    /// when the text is no finite number in the C locale ("3600", "3600.5", "3.6e3" are;
    /// "", "abc", "3600s", " 3600", "inf", "nan" are not). An expiry beyond what a `Date`
    /// holds (about 292 years either side of 1970) stops at its end.
    [[nodiscard]] Date expiryFrom(std::string_view expiresIn) const;

    /// Removes every item of the store's service, the session's items first as one.
    void removeCredential() const;

private:
    [[nodiscard]] std::optional<std::string> lockedRead(std::string_view key) const;
    void lockedWrite(std::string_view key, const std::optional<std::string>& value) const;

    mutable std::mutex mutex_;
    KeychainWrapper keychain_;
    std::function<Date()> now_;
    DateFormatter formatter_;
};

}  // namespace lumeno
