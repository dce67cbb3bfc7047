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
    std::optional<std::string> field;
    std::optional<std::string> message;
    std::optional<std::string> code;
    std::optional<std::string> type;
    std::optional<std::int64_t> statusCode;  ///< key "status_code"
    std::optional<JsonObject> data;          ///< free-form; a text and a number stay apart

    /// Lenient in every key: a value of another type reads as absent. Fails only on a non-object.
    static LumenoErrorResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<LumenoErrorResponse>::decode(json, decoder);
    }
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
    enum class Kind {
        imageMapping,
        jsonMapping,
        stringMapping,
        objectMapping,
        encodableMapping,
        statusCode,
        underlying,
        requestMapping,
        parameterEncoding,
        lumenoErrorMapping,
        invalidToken,
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
    enum class ChangePasswordErrorCode {
        invalidCredentials, repeatPassword, invalidFail, passwordInvalid, passwordTooShort, passwordTooSimilar
    };
    enum class ResetPasswordErrorCode { repeatPassword, incorrectCode, passwordTooShort, passwordInvalid, codeExpired };
    enum class ValidateOTP { invalidOTP, exhaustedAttempts };

    static LumenoError imageMapping(Response response);
    static LumenoError jsonMapping(Response response);
    static LumenoError stringMapping(Response response);
    static LumenoError objectMapping(std::string error, Response response);
    static LumenoError encodableMapping(std::string error);
    static LumenoError statusCode(LumenoResponseError error);
    static LumenoError underlying(std::string error, std::optional<Response> response = std::nullopt,
                                  TransportFailure failure = TransportFailure::other);
    static LumenoError requestMapping(std::string text);
    static LumenoError parameterEncoding(std::string error);
    static LumenoError lumenoErrorMapping(Response response);
    static LumenoError invalidToken();

    /// A reply whose status fell outside 200...299: `statusCode` with the parsed error body,
    /// or `lumenoErrorMapping` when the body is no error body.
    static LumenoError fromStatusCode(Response response);

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

    [[nodiscard]] std::optional<LoginErrorCode> loginErrorCode() const;
    [[nodiscard]] std::optional<ChangePasswordErrorCode> changePasswordErrorCode() const;
    [[nodiscard]] std::optional<ResetPasswordErrorCode> resetPasswordErrorCode() const;
    [[nodiscard]] std::optional<ValidateOTP> validateOTPErrorCode() const;

private:
    LumenoError(Kind kind, std::string detail = {}, std::optional<Response> response = std::nullopt);

    Kind kind_;
    TransportFailure transportFailure_ = TransportFailure::other;
    std::string detail_;
    std::shared_ptr<const Response> response_;
    std::shared_ptr<const LumenoResponseError> responseError_;
};

/// The platform's error code that a login error code stands for.
LUMENO_EXPORT std::string_view rawValue(LumenoError::LoginErrorCode code);
/// The platform's error code that a password-change error code stands for.
LUMENO_EXPORT std::string_view rawValue(LumenoError::ChangePasswordErrorCode code);
/// The platform's error code that a password-reset error code stands for.
LUMENO_EXPORT std::string_view rawValue(LumenoError::ResetPasswordErrorCode code);
/// The platform's error code that a one-time-password error code stands for.
LUMENO_EXPORT std::string_view rawValue(LumenoError::ValidateOTP code);

}  // namespace lumeno
