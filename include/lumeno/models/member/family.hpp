#pragma once

// Family groups and their invitations.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default).

#include <cstdint>
#include <optional>
#include <string>

#include "lumeno/core/json/record.hpp"
#include "lumeno/models/member/member_details.hpp"

namespace lumeno {

/// The reply of the family-summary call.
struct FamilySummary {
    std::int64_t size = 0;            ///< "size", strict
    std::optional<std::string> head;  ///< "head", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static FamilySummary decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<FamilySummary>::decode(json, decoder);
    }
};

/// One family invitation.
struct FamilyInvite {
    std::int64_t id = 0;                          ///< "id", strict
    std::optional<std::string> status;            ///< "status", lenient
    std::optional<MemberDetailsConcise> inviter;  ///< "inviter", lenient
    std::optional<MemberDetailsConcise> invitee;  ///< "invitee", lenient
    std::optional<std::string> inviteeEmail;      ///< "invitee_email", lenient
    std::optional<std::string> inviteeMobile;     ///< "invitee_mobile", lenient
    std::optional<std::string> createdTs;         ///< "created_ts", lenient, the text as received
    std::optional<std::string> updatedTs;         ///< "updated_ts", lenient, the text as received

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static FamilyInvite decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<FamilyInvite>::decode(json, decoder);
    }
};

/// The reply of accepting or rejecting an invitation.
struct FamilyMemberInviteResponse {
    std::optional<std::string> status;  ///< "status", lenient

    /// Whether the invitation now stands accepted: `status` is "accepted".
    [[nodiscard]] bool accepted() const noexcept { return status == "accepted"; }

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static FamilyMemberInviteResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<FamilyMemberInviteResponse>::decode(json, decoder);
    }
};

}  // namespace lumeno
