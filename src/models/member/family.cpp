#include "lumeno/models/member/family.hpp"

#include "lumeno/core/json/readers.hpp"

namespace lumeno {

FamilySummary FamilySummary::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    return {in.strict<std::int64_t>("size"), in.lenient<std::string>("head")};
}

FamilyInvite FamilyInvite::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    FamilyInvite out;
    out.id = in.strict<std::int64_t>("id");
    out.status = in.lenient<std::string>("status");
    out.inviter = in.lenient<MemberDetailsConcise>("inviter");
    out.invitee = in.lenient<MemberDetailsConcise>("invitee");
    out.inviteeEmail = in.lenient<std::string>("invitee_email");
    out.inviteeMobile = in.lenient<std::string>("invitee_mobile");
    out.createdTs = in.lenient<std::string>("created_ts");
    out.updatedTs = in.lenient<std::string>("updated_ts");
    return out;
}

FamilyMemberInviteResponse FamilyMemberInviteResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return {KeyedReader(json, decoder).lenient<std::string>("status")};
}

}  // namespace lumeno
