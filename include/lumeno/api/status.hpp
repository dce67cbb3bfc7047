#pragma once

// The result vocabularies of the enrolment, login, profile and password calls.

#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "lumeno/core/error.hpp"
#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/models/member/member_details.hpp"
#include "lumeno/models/member/member_response.hpp"

namespace lumeno {

namespace registration {
/// The member was enrolled; the reply's record.
struct Created { MemberDetails member; };
/// A member with these details exists but is not validated.
struct ExistsUnvalidated { std::string memberId; };
/// A validated member with these details exists.
struct Exists { std::string memberId; };
/// Part of the vocabulary; no call reports it.
struct NotFound {};
}  // namespace registration

/// What `enrollMember` reports: an existing member is recognised by the error code of the reply.
struct MemberRegistrationStatus
    : std::variant<registration::Created, registration::ExistsUnvalidated, registration::Exists, registration::NotFound> {
    using variant::variant;
};

namespace registration_v1 {
/// Status 201: the member was enrolled; the reply's record.
struct Created { MemberDetails member; };
/// Status 202: a member with these details exists but is not validated; the reply's record.
struct ExistsUnvalidated { MemberDetails member; };
/// Status 200: a validated member with these details exists; the reply's record.
struct Exists { MemberDetails member; };
/// Part of the vocabulary; no call reports it.
struct NotFound {};
}  // namespace registration_v1

/// What `enrollMemberV1` reports: the outcome is read from the status of a successful reply.
struct MemberRegistrationStatusV1 : std::variant<registration_v1::Created, registration_v1::ExistsUnvalidated,
                                                 registration_v1::Exists, registration_v1::NotFound> {
    using variant::variant;
};

namespace relogin {
/// The member logged in again; the login reply.
struct Success { MemberResponse memberResponse; };
/// No new login was needed.
struct NotRequired {};
/// The new login failed.
struct InternalFailure {};
}  // namespace relogin

/// Vocabulary for a host's own re-login flow; the library creates none.
struct ReLoginStatus : std::variant<relogin::Success, relogin::NotRequired, relogin::InternalFailure> {
    using variant::variant;

    /// A text value "success" (exactly) decodes the whole value as a `MemberResponse`, whose
    /// errors propagate; "failure" is `InternalFailure`; any other text or a non-text value is
    /// `NotRequired`.
    static ReLoginStatus decode(const JsonValue& json, const Decoder& decoder);
};

namespace patch_member {
/// The profile was updated; the updated profile, when the reply carried one.
struct Success { std::optional<MemberDetails> memberDetails; };
/// The error entries of each field that was refused.
struct Failure { std::map<std::string, std::vector<LumenoErrorResponse>> errors; };
}  // namespace patch_member

/// Vocabulary for a host's profile-update flow; `patchMember` itself reports a `MemberDetails`.
struct PatchMemberResult : std::variant<patch_member::Success, patch_member::Failure> {
    using variant::variant;
};

// Password and login outcomes: vocabulary for a host's own flows; no call produces or reads them.

/// The outcome of changing a password.
enum class ChangePasswordStatus {
    success, invalid_credentials, repeat_fail, invalid_fail, password_too_short, password_not_valid, other_fail
};
/// The outcome of resetting a password with a reset key.
enum class ResetPasswordStatus {
    success, repeat_fail, invalid_fail, incorrect_code, password_too_short, password_not_valid, other_fail
};
/// The outcome of setting a password after a one-time-password check.
enum class SetPasswordStatus { success, invalid_fail, incorrect_code, password_too_short, password_not_valid, other_fail };

namespace login_status {
/// The member is logged in; the login reply.
struct Success { MemberResponse memberData; };
/// The user name or password was refused.
struct InvalidCredential {};
}  // namespace login_status

/// The outcome of a host's login flow.
struct LoginStatus : std::variant<login_status::Success, login_status::InvalidCredential> {
    using variant::variant;
};

namespace login_error {
/// Any other failure, as the library reported it.
struct Unknown { LumenoError underlying; };
/// The user name or password was refused.
struct InvalidCredential {};
}  // namespace login_error

/// An error value for a host's login flow.
struct LoginError : std::variant<login_error::Unknown, login_error::InvalidCredential> {
    using variant::variant;
};

namespace request_error {
/// A failure described by a message for the member.
struct Message { std::string message; };
/// What was asked for does not exist.
struct NotFound {};
/// The reply could not be read.
struct BadResponse {};
/// The request was refused as invalid.
struct Invalid {};
/// There was no usable token.
struct InvalidToken {};
}  // namespace request_error

/// An error value for a host's own request flows.
struct LumenoRequestError : std::variant<request_error::Message, request_error::NotFound, request_error::BadResponse,
                                         request_error::Invalid, request_error::InvalidToken> {
    using variant::variant;
};

}  // namespace lumeno
