#include "models/member/family_keys.hpp"

namespace lumeno {

using namespace detail;

FamilySummary FamilySummary::decode(const JsonValue& json, const Decoder& decoder) {
    return familySummaryKeys.decode(json, decoder);
}

FamilyInvite FamilyInvite::decode(const JsonValue& json, const Decoder& decoder) {
    return familyInviteKeys.decode(json, decoder);
}

FamilyMemberInviteResponse FamilyMemberInviteResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return familyMemberInviteResponseKeys.decode(json, decoder);
}

}  // namespace lumeno
