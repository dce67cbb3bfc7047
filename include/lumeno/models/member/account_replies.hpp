#pragma once

// Small replies of the status, sign-in attribute, upload and referral calls.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default).

#include <optional>
#include <string>

#include "lumeno/core/json/record.hpp"

namespace lumeno {

/// The reply of the member-status query.
struct MemberStatus {
    bool exists = false;     ///< "exists", strict
    bool validated = false;  ///< "validated", strict

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static MemberStatus decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<MemberStatus>::decode(json, decoder);
    }
};

/// The reply of the Apple identity query.
struct AppleStatus {
    bool exists = false;  ///< "exists", strict

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static AppleStatus decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<AppleStatus>::decode(json, decoder);
    }
};

/// The reply of the password-exists query.
struct PasswordStatus {
    bool exists = false;  ///< "exists", strict

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static PasswordStatus decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<PasswordStatus>::decode(json, decoder);
    }
};

/// The reply of removing a social link.
struct SocialDelinkResponse {
    std::optional<bool> delinkStatus;  ///< "social_delink", strict
    std::optional<bool> logout;        ///< "logout", strict

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static SocialDelinkResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<SocialDelinkResponse>::decode(json, decoder);
    }
};

/// The reply of the login-attribute call.
struct LoginAttribute {
    std::optional<std::string> attribute;  ///< "attribute", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static LoginAttribute decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<LoginAttribute>::decode(json, decoder);
    }
};

/// The reply of the upload-URL calls.
struct S3ImageResponse {
    std::optional<std::string> url;            ///< "url", lenient
    /// "signedRequest", lenient; when that gives no text, "signed_request", lenient.
    std::optional<std::string> signedRequest;

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static S3ImageResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<S3ImageResponse>::decode(json, decoder);
    }
};

/// The reply of the member referral.
struct MemberReferralResponse {
    std::optional<std::string> data;  ///< "data", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static MemberReferralResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<MemberReferralResponse>::decode(json, decoder);
    }
};

}  // namespace lumeno
