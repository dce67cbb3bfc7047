// Family groups and their invitations.

#include "api/request_road.hpp"

namespace lumeno {

using namespace detail;

namespace {

Handle sendFamilyInvite(const Token& token, std::string memberID, JsonObject request,
                        Completion<FamilyInvite> completion) {
    return tokenCall<service::CreateFamilyInvite>(token, std::move(completion), std::move(request),
                                                  std::move(memberID));
}

}  // namespace

Handle LumenoRequest::getFamilySummary(const Token& token, std::string memberID,
                                       Completion<FamilySummary> completion) {
    return tokenCall<service::GetFamilySummary>(token, std::move(completion), std::move(memberID));
}

Handle LumenoRequest::getFamilyMembers(const Token& token, std::string memberID,
                                       Completion<std::vector<MemberDetails>> completion) {
    return tokenCall<service::GetFamilyMembers>(token, std::move(completion), std::move(memberID));
}

Handle LumenoRequest::createFamilyInvite(const Token& token, std::string memberID, std::string inviteeEmail,
                                         Completion<FamilyInvite> completion) {
    return sendFamilyInvite(token, std::move(memberID), {{"invitee_email", std::move(inviteeEmail)}},
                            std::move(completion));
}

Handle LumenoRequest::createFamilyInvite(const Token& token, std::string memberID, std::string inviteeMobile,
                                         std::string inviteeGivenName, std::string familyHeadRelationship,
                                         std::string inviterName, Completion<FamilyInvite> completion) {
    return sendFamilyInvite(token, std::move(memberID),
                            {{"invitee_mobile", std::move(inviteeMobile)},
                             {"invitee_given_name", std::move(inviteeGivenName)},
                             {"family_head_relationship", std::move(familyHeadRelationship)},
                             {"inviter_name", std::move(inviterName)}},
                            std::move(completion));
}

Handle LumenoRequest::createFamilyInviteByMinor(const Token& token, std::string memberID, std::string inviteeEmail,
                                                std::string inviteeDOB, Completion<FamilyInvite> completion) {
    return sendFamilyInvite(token, std::move(memberID),
                            {{"invitee_email", std::move(inviteeEmail)},
                             {"invitee_is_minor", true},
                             {"invitee_dob", std::move(inviteeDOB)}},
                            std::move(completion));
}

Handle LumenoRequest::getAllFamilyInvites(const Token& token, std::string memberID, bool onlyReceived,
                                          Completion<std::vector<FamilyInvite>> completion) {
    return tokenCall<service::GetFamilyInvites>(token, std::move(completion), std::move(memberID), onlyReceived);
}

Handle LumenoRequest::retreiveFamilyMemberInvite(const Token& token, std::string memberID, std::int64_t invitationID,
                                                 Completion<FamilyInvite> completion) {
    return tokenCall<service::RetreiveFamilyMemberInvite>(token, std::move(completion), std::move(memberID),
                                                          invitationID);
}

Handle LumenoRequest::familyMemberInviteAction(const Token& token, std::string memberID, std::int64_t invitationID,
                                               bool accepted, Completion<FamilyMemberInviteResponse> completion) {
    return tokenCall<service::FamilyMemberInviteAction>(token, std::move(completion), std::move(memberID),
                                                        invitationID, accepted);
}

Handle LumenoRequest::deleteFamily(const Token& token, std::string memberID, Completion<void> completion) {
    return tokenCall<service::DeleteFamily>(token, std::move(completion), std::move(memberID));
}

Handle LumenoRequest::leaveFamily(const Token& token, std::string memberID, Completion<void> completion) {
    return tokenCall<service::LeaveFamily>(token, std::move(completion), std::move(memberID));
}

}  // namespace lumeno
