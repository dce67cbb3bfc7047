#pragma once

// Sign-in, validation and password records.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default), required (the key must be present with a value of the right type).

#include <optional>
#include <string>

#include "lumeno/core/error.hpp"
#include "lumeno/core/json/record.hpp"
#include "lumeno/models/member/member_details.hpp"

namespace lumeno {

/// The reply of a login, social sign-in or account link.
struct MemberResponse {
    std::optional<MemberDetails> member;        ///< "member_data", strict (a bad profile fails the reply)
    std::optional<std::string> token;          ///< "token", lenient
    std::optional<std::string> expiresIn;      ///< "expires_in", lenient; the token's lifetime in seconds, as text
    bool success = false;                       ///< "success", strict
    std::optional<LumenoErrorResponse> error;  ///< "error", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static MemberResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<MemberResponse>::decode(json, decoder);
    }
    /// Writes the keys above, leaving out the key of an absent field.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<MemberResponse>::toJson(*this); }
};

/// The reply of the member validation; both keys are required.
struct LumenoTokenResponse {
    bool success = false;  ///< "success"
    std::string token;     ///< "token"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static LumenoTokenResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<LumenoTokenResponse>::decode(json, decoder);
    }
};

/// The reply of setting or changing a password; every key lenient. Nothing here is stored.
struct ChangePasswordResponse {
    std::optional<std::string> message;    ///< "message"
    std::optional<std::string> authKey;    ///< "auth_key"
    std::optional<std::string> token;      ///< "token"
    std::optional<std::string> expiresIn;  ///< "expires_in"
    std::optional<std::string> status;     ///< "status"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static ChangePasswordResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<ChangePasswordResponse>::decode(json, decoder);
    }
};

/// The request of the Apple sign-in: only the authorisation code is kept and sent.
struct AppleLoginDetails {
    std::string code;

    /// The name and e-mail are accepted for the sign-in flow's convenience and not kept.
    explicit AppleLoginDetails(std::string code, const std::optional<std::string>& firstName = std::nullopt,
                               const std::optional<std::string>& lastName = std::nullopt,
                               const std::optional<std::string>& email = std::nullopt);

    /// {"code": code}
    [[nodiscard]] JsonValue toJson() const { return detail::Record<AppleLoginDetails>::toJson(*this); }
};

/// The optional attribute sent with a member validation: `attributeKey` is "mobile" for a
/// mobile number or "email" for an e-mail address, `attributeValue` the number or address.
struct ValidateMemberExtraData {
    std::string attributeKey;
    std::string attributeValue;
};

}  // namespace lumeno
