#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lumeno/core/json/record.hpp"
#include "lumeno/core/response.hpp"
#include "lumeno/export.hpp"

namespace lumeno {

/// One entry of a platform error body.
struct LUMENO_EXPORT LumenoErrorResponse {
    std::optional<std::string> field;    ///< the refused field, when the entry names one
    std::optional<std::string> message;  ///< text for people
    std::optional<std::string> code;     ///< the machine-readable reason, e.g. "invalid_credentials"
    std::optional<std::string> type;     ///< the kind of error, as the platform names it
    std::optional<std::int64_t> statusCode;  ///< key "status_code"
    std::optional<JsonObject> data;          ///< free-form; a text and a number stay apart

    /// Lenient in every key: a value of another type reads as absent. Fails only on a non-object.
    static LumenoErrorResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<LumenoErrorResponse>::decode(json, decoder);
    }
    /// The entry with the keys above; absent values are left out.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<LumenoErrorResponse>::toJson(*this); }
};

/// The parsed error body of a failed reply.
///
/// Accepted body shapes (JSON), tried in this order: an object whose "errors" is a list of
/// entries; an object whose "error" is one entry; a bare list of entries; a bare entry (an
/// object holding at least one of the entry keys "field", "message", "code", "type",
/// "status_code"). A list of entries is non-empty and holds only objects (one other element
/// and the list does not count). Anything else, an empty or non-JSON body included, is not an
/// error body.
struct LUMENO_EXPORT LumenoResponseError {
    std::vector<LumenoErrorResponse> errors;  ///< every entry, in order
    LumenoErrorResponse error;                ///< the first entry
    Response response;                        ///< the reply
    JsonObject resultMap;                     ///< the body as a map (empty for a bare list)

    /// Parses the reply's body; nullopt when it is not an error body.
    static std::optional<LumenoResponseError> parse(const Response& response);
};

/// The error of every failed call.
class LUMENO_EXPORT LumenoError {
public:
    /// What went wrong; `message` gives each case's fixed text.
    enum class Kind {
        imageMapping,        ///< no call reports it
        jsonMapping,         ///< `getPrivilege` found no privilege with the code
        stringMapping,       ///< no call reports it
        objectMapping,       ///< a successful reply did not decode as the result
        encodableMapping,    ///< a request body JSON text cannot carry; nothing was sent
        statusCode,          ///< a status outside 200...299 with an error body (`responseError`)
        underlying,          ///< the transfer failed or was cancelled (`transportFailure`)
        requestMapping,      ///< no request could be built from the call's values; nothing was sent
        parameterEncoding,   ///< no call reports it
        lumenoErrorMapping,  ///< a status outside 200...299 whose body is no error body
        invalidToken,        ///< no token given and none stored; nothing was sent
    };

    /// Why a transfer failed: the code an `underlying` error carries.
    enum class TransportFailure {
        cancelled,           ///< the call's handle was cancelled, or the library shut down
        timedOut,
        couldNotConnect,
        tls,                 ///< the TLS handshake failed, the pinned roots included
        destinationRefused,  ///< a host or scheme the session does not go to, a redirect included
        tooManyRedirects,
        replyTooLarge,
        other,
    };

    /// Code vocabularies, matched against the first error entry's code (lowercased).
    /// Raw values are the snake_case forms of the case names:
    /// login: "user_locked_out", "authentication_failed", "invalid_credentials", "login_disabled";
    /// change password: "invalid_credentials", "repeat_password", "invalid_fail", "password_invalid",
    ///   "password_too_short", "password_too_similar";
    /// reset password: "repeat_password", "incorrect_code", "password_too_short", "password_invalid",
    ///   "code_expired";
    /// one-time password: "invalid_otp", "exhausted_attempts".
    enum class LoginErrorCode { userLockedOut, authenticationFailed, invalidCredentials, loginDisabled };
    /// The codes of a refused password change.
    enum class ChangePasswordErrorCode {
        invalidCredentials, repeatPassword, invalidFail, passwordInvalid, passwordTooShort, passwordTooSimilar
    };
    /// The codes of a refused password reset.
    enum class ResetPasswordErrorCode { repeatPassword, incorrectCode, passwordTooShort, passwordInvalid, codeExpired };
    /// The codes of a refused one-time password.
    enum class ValidateOTP { invalidOTP, exhaustedAttempts };

    // Each case is made on a failure only: `gnu::cold` has the compiler keep the code that makes
    // one out of the way of the code that calls run when they succeed.

    /// The case with the reply it could not map.
    [[gnu::cold]] static LumenoError imageMapping(Response response);
    /// The case with the reply it could not map.
    [[gnu::cold]] static LumenoError jsonMapping(Response response);
    /// The case with the reply it could not map.
    [[gnu::cold]] static LumenoError stringMapping(Response response);
    /// The decoding failure's text and the reply that did not decode.
    [[gnu::cold]] static LumenoError objectMapping(std::string error, Response response);
    /// The encoding failure's text.
    [[gnu::cold]] static LumenoError encodableMapping(std::string error);
    /// A refused status with its parsed error body (which holds the reply).
    [[gnu::cold]] static LumenoError statusCode(LumenoResponseError error);
    /// A transfer failure: its text, the reply when one arrived, and why it failed.
    [[gnu::cold]] static LumenoError underlying(std::string error, std::optional<Response> response = std::nullopt,
                                                TransportFailure failure = TransportFailure::other);
    /// The text (a URL, or what was wrong with the request) that no request could be built from.
    [[gnu::cold]] static LumenoError requestMapping(std::string text);
    /// The encoding failure's text.
    [[gnu::cold]] static LumenoError parameterEncoding(std::string error);
    /// A refused status whose body is no error body, with the reply.
    [[gnu::cold]] static LumenoError lumenoErrorMapping(Response response);
    /// No token to send.
    [[gnu::cold]] static LumenoError invalidToken();

    /// A reply whose status fell outside 200...299: `statusCode` with the parsed error body,
    /// or `lumenoErrorMapping` when the body is no error body.
    [[gnu::cold]] static LumenoError fromStatusCode(Response response);

    /// The case.
    [[nodiscard]] Kind kind() const noexcept { return kind_; }
    /// The fixed message of the case.
    [[nodiscard]] std::string_view message() const noexcept;
    /// The message with the case's detail, for logs.
    [[nodiscard]] std::string description() const;
    /// The reply the case carries, if any (for `statusCode`, the reply of the error body).
    [[nodiscard]] const Response* response() const noexcept;
    /// The wrapped error's text (`objectMapping`, `encodableMapping`, `underlying`,
    /// `parameterEncoding`) or the refused text (`requestMapping`); empty otherwise.
    [[nodiscard]] const std::string& detail() const noexcept { return detail_; }
    /// The transport failure an `underlying` error stands for; nullopt for the other kinds.
    [[nodiscard]] std::optional<TransportFailure> transportFailure() const noexcept;
    /// Whether the call was cancelled (its handle, or `Lumeno::shutdown`) rather than failed.
    [[nodiscard]] bool isCancellation() const noexcept { return transportFailure() == TransportFailure::cancelled; }
    /// The parsed error body of a `statusCode` failure.
    [[nodiscard]] const LumenoResponseError* responseError() const noexcept { return responseError_.get(); }

    /// The login code of a `statusCode` failure's first entry (compared lowercased); nullopt for
    /// another code or another kind. The three below read the code in the same way.
    [[nodiscard]] std::optional<LoginErrorCode> loginErrorCode() const;
    /// The password-change code, as `loginErrorCode` reads it.
    [[nodiscard]] std::optional<ChangePasswordErrorCode> changePasswordErrorCode() const;
    /// The password-reset code, as `loginErrorCode` reads it.
    [[nodiscard]] std::optional<ResetPasswordErrorCode> resetPasswordErrorCode() const;
    /// The one-time-password code, as `loginErrorCode` reads it.
    [[nodiscard]] std::optional<ValidateOTP> validateOTPErrorCode() const;

private:
    LumenoError(Kind kind, std::string detail = {}, std::optional<Response> response = std::nullopt);

    Kind kind_;
    TransportFailure transportFailure_ = TransportFailure::other;
    std::string detail_;
    std::shared_ptr<const Response> response_;
    std::shared_ptr<const LumenoResponseError> responseError_;
};

/// The code as the platform writes it (see `LumenoError::LoginErrorCode`).
LUMENO_EXPORT std::string_view rawValue(LumenoError::LoginErrorCode code);
/// The code as the platform writes it (see `LumenoError::LoginErrorCode`).
LUMENO_EXPORT std::string_view rawValue(LumenoError::ChangePasswordErrorCode code);
/// The code as the platform writes it (see `LumenoError::LoginErrorCode`).
LUMENO_EXPORT std::string_view rawValue(LumenoError::ResetPasswordErrorCode code);
/// The code as the platform writes it (see `LumenoError::LoginErrorCode`).
LUMENO_EXPORT std::string_view rawValue(LumenoError::ValidateOTP code);

}  // namespace lumeno
