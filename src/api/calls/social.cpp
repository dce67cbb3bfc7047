// Social sign-in, the Apple identity query, account links and their removal.

#include "api/request_road.hpp"
#include "lumeno/core/credentials_manager.hpp"
#include "models/member/member_response_keys.hpp"

namespace lumeno {

using namespace detail;

namespace {

/// Writes the reply's "token" (removed when it has none), then "expiry" from its "expires_in"
/// (removed when it has none), then the items of `sessionType` when one is given, as one.
void storeToken(const MemberResponse& response, const std::optional<CredentialsManager::SessionType>& sessionType) {
    const auto& credentials = CredentialsManager::shared();
    credentials.storeToken(response.token, credentials.expiryText(response.expiresIn), sessionType);
}

/// A social sign-in: the token and expiry, then "sessionTypeKey" 1, so that the request hook
/// never tries to renew the session with a stored password. "user" and "sessionTypePassword"
/// stay as they were.
void storeSocialSession(const MemberResponse& response) {
    storeToken(response, CredentialsManager::SessionType::social());
}

/// A Facebook link keeps the kind of session. A reply without a token leaves the working token
/// and its expiry in place: removing them would fail every later call although the link
/// succeeded.
void storeLinkedToken(const MemberResponse& response) {
    if (response.token) storeToken(response, std::nullopt);
}

ProviderCompletion handleSocialLoginResponse(Completion<MemberResponse> completion) {
    return handleStoringResponse(std::move(completion), storeSocialSession);
}

}  // namespace

Handle LumenoRequest::enrollMemberFB(std::string fbID, std::string accessToken, Completion<MemberResponse> completion) {
    return callWith<service::FacebookLogin>(handleSocialLoginResponse(std::move(completion)), std::move(fbID),
                                            std::move(accessToken));
}

Handle LumenoRequest::authenticateMemberGoogle(std::string googleID, std::string idToken,
                                               Completion<MemberResponse> completion) {
    return callWith<service::AuthenticateWithGoogle>(handleSocialLoginResponse(std::move(completion)),
                                                     std::move(googleID), std::move(idToken));
}

Handle LumenoRequest::getMemberStatusApple(std::string appleId, Completion<AppleStatus> completion) {
    return call<service::IfMemberExistsApple>(std::move(completion), std::move(appleId));
}

Handle LumenoRequest::authenticateMemberApple(const AppleLoginDetails& details, Completion<MemberResponse> completion) {
    // Encoded by its table: `toJson` throws on a text that is not UTF-8, and a call never throws.
    return callWith<service::AuthenticateWithApple>(handleSocialLoginResponse(std::move(completion)),
                                                    keysOf<AppleLoginDetails>.encode(details));
}

Handle LumenoRequest::linkFacebook(const Token& token, std::string memberID, std::string fbId, std::string accessToken,
                                   Completion<MemberResponse> completion) {
    return tokenCallWith<service::Linkfacebook>(token, handleStoringResponse(std::move(completion), storeLinkedToken),
                                                std::move(memberID), std::move(fbId), std::move(accessToken));
}

Handle LumenoRequest::linkApple(const Token& token, std::string authorizationCode, Completion<MemberResponse> completion) {
    return tokenCall<service::LinkApple>(token, std::move(completion), std::move(authorizationCode));
}

Handle LumenoRequest::linkGoogle(const Token& token, std::string googleToken, std::string googleId,
                                 Completion<MemberResponse> completion) {
    return tokenCall<service::LinkGoogle>(token, std::move(completion), std::move(googleToken), std::move(googleId));
}

Handle LumenoRequest::delinkSocial(const Token& token, std::string type, Completion<SocialDelinkResponse> completion) {
    return tokenCall<service::Delink>(token, std::move(completion), std::move(type));
}

}  // namespace lumeno
