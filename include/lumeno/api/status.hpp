#pragma once

// The result vocabularies of the enrolment, login and profile calls.

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
/// The member was enrolled.
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
struct Created { MemberDetails member; };
struct ExistsUnvalidated { MemberDetails member; };
struct Exists { MemberDetails member; };
struct NotFound {};
}  // namespace registration_v1

/// What `enrollMemberV1` reports: the outcome is read from the status of a successful reply.
struct MemberRegistrationStatusV1 : std::variant<registration_v1::Created, registration_v1::ExistsUnvalidated,
                                                 registration_v1::Exists, registration_v1::NotFound> {
    using variant::variant;
};

namespace relogin {
struct Success { MemberResponse memberResponse; };
struct NotRequired {};
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
struct Success { std::optional<MemberDetails> memberDetails; };
/// The error entries of each field that was refused.
struct Failure { std::map<std::string, std::vector<LumenoErrorResponse>> errors; };
}  // namespace patch_member

/// Vocabulary for a host's profile-update flow; `patchMember` itself reports a `MemberDetails`.
struct PatchMemberResult : std::variant<patch_member::Success, patch_member::Failure> {
    using variant::variant;
};

}  // namespace lumeno
