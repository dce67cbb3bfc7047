// Enrolment, validation, login and the member profile calls; referral, member look-up, logout and
// the mobile pass.

#include "api/request_road.hpp"
#include "lumeno/core/credentials_manager.hpp"

namespace lumeno {

using namespace detail;

namespace {

/// The "member_id" text of an enrolment refusal whose first error has `code` (compared with case).
std::optional<std::string> existingMemberId(const LumenoError& error, std::string_view code) {
    const LumenoResponseError* body = error.responseError();
    if (body == nullptr || body->error.code != code || !body->error.data) return std::nullopt;
    const JsonValue* id = body->error.data->if_contains("member_id");
    if (id == nullptr || !id->is_string()) return std::nullopt;
    return std::string(id->get_string());
}

/// The enrolment reply's member record: the whole body, decoded without a context.
Result<MemberDetails> enrolledMember(const Response& response) {
    return map<MemberDetails>(response, std::nullopt, Decoder());
}

ProviderCompletion handleEnrollMemberResponse(Completion<MemberRegistrationStatus> completion) {
    return [completion = std::move(completion)](ProviderResult&& outcome) mutable {
        auto reply = filterSuccessfulStatusCodes(outcome);
        if (!reply) {
            const LumenoError& error = reply.error();
            if (auto id = existingMemberId(error, "member_exists_unvalidated"))
                return completion(registration::ExistsUnvalidated{std::move(*id)});
            if (auto id = existingMemberId(error, "member_exists"))
                return completion(registration::Exists{std::move(*id)});
            return completion(fail(error));
        }
        auto member = enrolledMember(**reply);
        if (!member) return completion(fail(std::move(member.error())));
        CredentialsManager::shared().storeToken(member->token, member->expiresIn, std::nullopt);
        completion(registration::Created{std::move(*member)});
    };
}

ProviderCompletion handleEnrollMemberV1Response(Completion<MemberRegistrationStatusV1> completion) {
    return [completion = std::move(completion)](ProviderResult&& outcome) mutable -> void {
        if (!outcome) return completion(fail(std::move(outcome.error())));
        const int status = outcome->statusCode;
        if (status != 200 && status != 201 && status != 202)
            return completion(fail(LumenoError::fromStatusCode(std::move(*outcome))));
        auto member = enrolledMember(*outcome);
        if (!member) return completion(fail(std::move(member.error())));
        switch (status) {
            case 201: return completion(registration_v1::Created{std::move(*member)});
            case 200: return completion(registration_v1::Exists{std::move(*member)});
            default: return completion(registration_v1::ExistsUnvalidated{std::move(*member)});
        }
    };
}

ProviderCompletion handleLoginResponse(std::string username, std::string password, Completion<MemberResponse> completion) {
    auto store = [username = std::move(username), password = std::move(password)](const MemberResponse& response) {
        CredentialsManager::shared().storeCredential(username, response.token, response.expiresIn,
                                                     CredentialsManager::SessionType::password(password));
    };
    return handleStoringResponse(std::move(completion), std::move(store));
}

/// Decodes the profile at `keyPath` and hands on only its balances.
ProviderCompletion handleMemberBalancesResponse(Completion<std::vector<MemberBalance>> completion,
                                                std::optional<std::string_view> keyPath) {
    return [completion = std::move(completion), keyPath](ProviderResult&& outcome) mutable {
        auto details = decodeResponse<MemberDetails>(outcome, keyPath);
        if (!details) return completion(fail(std::move(details.error())));
        completion(std::move(details->balances));
    };
}

/// Sends the enrolment, or refuses a body that JSON text cannot carry without sending anything.
Handle sendEnrollment(Result<JsonValue> memberData, EnrollmentType type, std::optional<std::string> reCaptchaToken,
                      std::optional<std::string> reCaptchaSiteKey, ProviderCompletion handler) {
    if (!memberData) return libraryProvider().refuse(std::move(memberData.error()), std::move(handler));
    return callWith<service::EnrollUser>(std::move(handler), std::move(*memberData), type, std::move(reCaptchaToken),
                                         std::move(reCaptchaSiteKey));
}

}  // namespace

namespace detail {

Handle enrollMember(Result<JsonValue> memberData, EnrollmentType type, std::optional<std::string> reCaptchaToken,
                    std::optional<std::string> reCaptchaSiteKey, Completion<MemberRegistrationStatus> completion) {
    return sendEnrollment(std::move(memberData), type, std::move(reCaptchaToken), std::move(reCaptchaSiteKey),
                          handleEnrollMemberResponse(std::move(completion)));
}

Handle enrollMemberV1(Result<JsonValue> memberData, EnrollmentType type, std::optional<std::string> reCaptchaToken,
                      std::optional<std::string> reCaptchaSiteKey, Completion<MemberRegistrationStatusV1> completion) {
    return sendEnrollment(std::move(memberData), type, std::move(reCaptchaToken), std::move(reCaptchaSiteKey),
                          handleEnrollMemberV1Response(std::move(completion)));
}

Handle patchMember(const Token& token, std::string memberId, Result<JsonValue> updateRequest,
                   Completion<MemberDetails> completion) {
    return bodyCallWith<service::PatchMember>(token, std::move(updateRequest),
                                              handlerFor(std::move(completion), {.context = Context::none}),
                                              std::move(memberId));
}

Handle memberReferral(const Token& token, Result<JsonValue> request, Completion<MemberReferralResponse> completion) {
    return bodyCall<service::ReferMembers>(token, std::move(request), std::move(completion));
}

}  // namespace detail

Handle LumenoRequest::validateMember(std::string memberId, std::string otp,
                                     std::optional<ValidateMemberExtraData> extraData,
                                     Completion<LumenoTokenResponse> completion) {
    return call<service::ValidateMember>(std::move(completion), std::move(memberId), std::move(otp),
                                         std::move(extraData).transform([](ValidateMemberExtraData data) {
                                             return service::ValidateMemberAttribute{std::move(data.attributeKey),
                                                                                     std::move(data.attributeValue)};
                                         }));
}

Handle LumenoRequest::login(std::string username, std::string password, Completion<MemberResponse> completion) {
    return callWith<service::Login>(handleLoginResponse(username, password, std::move(completion)), std::move(username),
                                    std::move(password));
}

Handle LumenoRequest::getMemberStatus(std::string loginAttribute, std::string username,
                                      Completion<MemberStatus> completion) {
    return call<service::IfMemberExists>(std::move(completion), std::move(loginAttribute), std::move(username));
}

Handle LumenoRequest::getMemberDetails(const Token& token, Completion<MemberDetails> completion) {
    return tokenCallAt<service::GetMemberDetails>({.keyPath = "data"}, token, std::move(completion));
}

Handle LumenoRequest::getMemberDetails(const Token& token, std::string memberID, Completion<MemberDetails> completion) {
    return tokenCallAt<service::GetMemberDetailsUsingMemberID>({.keyPath = "data"}, token, std::move(completion),
                                                               std::move(memberID));
}

Handle LumenoRequest::getMemberBalances(const Token& token, std::string memberID,
                                        Completion<std::vector<MemberBalance>> completion) {
    return tokenCallWith<service::GetMemberDetailsUsingMemberID>(
        token, handleMemberBalancesResponse(std::move(completion), "data"), std::move(memberID));
}

Handle LumenoRequest::getMemberBalances(const Token& token, std::string memberID, JsonObject parameters,
                                        Completion<std::vector<MemberBalance>> completion) {
    return tokenCallWith<service::GetMemberBalances>(
        token, handleMemberBalancesResponse(std::move(completion), std::nullopt), std::move(memberID),
        std::move(parameters));
}

Handle LumenoRequest::getPointBalance(const Token& token, std::string memberID, std::int64_t accountID,
                                      Completion<PendingPointBalance> completion) {
    return tokenCall<service::GetPointBalance>(token, std::move(completion), std::move(memberID), accountID);
}

Handle LumenoRequest::lookupMember(const Token& token, JsonObject params, Completion<MemberDetailsConcise> completion) {
    return tokenCall<service::LookupMember>(token, std::move(completion), std::move(params));
}

Handle LumenoRequest::logout(const Token& token, Completion<std::map<std::string, std::string>> completion) {
    return tokenCall<service::Logout>(token, std::move(completion));
}

Handle LumenoRequest::getMobilePass(const Token& token, std::string memberID,
                                    Completion<std::map<std::string, std::string>> completion) {
    return tokenCall<service::GetMobilePass>(token, std::move(completion), std::move(memberID));
}

}  // namespace lumeno
