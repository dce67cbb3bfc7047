// Passwords, one-time passwords and the member's devices.

#include "api/request_road.hpp"
#include "lumeno/core/credentials_manager.hpp"

namespace lumeno {

using namespace detail;

namespace {

/// After a password is set or changed the stored session is a password session with the new
/// password ("sessionTypeKey" 0, then "sessionTypePassword"), which the request hook uses for
/// its next log-in. The token, expiry and user name stay as they were; the reply's are not stored.
ProviderCompletion handlePasswordResponse(std::string password, Completion<ChangePasswordResponse> completion) {
    auto store = [session = CredentialsManager::SessionType::password(std::move(password))](const auto&) {
        CredentialsManager::shared().setSessionType(session);
    };
    return handleStoringResponse(std::move(completion), std::move(store));
}

}  // namespace

Handle LumenoRequest::getPasswordStatus(std::string forLoginAttributeKey, std::string loginAttributeValue,
                                        Completion<PasswordStatus> completion) {
    return call<service::IfPasswordExists>(std::move(completion), std::move(forLoginAttributeKey),
                                           std::move(loginAttributeValue));
}

Handle LumenoRequest::setMemberPassword(std::string password, std::string otpToken,
                                        Completion<ChangePasswordResponse> completion) {
    return callWith<service::ChoosePassword>(handlePasswordResponse(password, std::move(completion)),
                                             std::move(password), std::move(otpToken));
}

Handle LumenoRequest::changePassword(const Token& token, std::string oldPassword, std::string newPassword,
                                     Completion<ChangePasswordResponse> completion) {
    return tokenCallWith<service::ChangePassword>(token, handlePasswordResponse(newPassword, std::move(completion)),
                                                  std::move(oldPassword), std::move(newPassword));
}

Handle LumenoRequest::resetPassword(JsonObject request, std::optional<std::string> reCaptchaToken,
                                    std::optional<std::string> reCaptchaSiteKey, Completion<void> completion) {
    return call<service::ResetPassword>(std::move(completion), std::move(request), std::move(reCaptchaToken),
                                        std::move(reCaptchaSiteKey));
}

Handle LumenoRequest::doResetPassword(std::string loginAttribute, std::string username, std::string password,
                                      std::string resetKey, Completion<void> completion) {
    return call<service::DoResetPassword>(std::move(completion), std::move(loginAttribute), std::move(username),
                                          std::move(password), std::move(resetKey));
}

Handle LumenoRequest::registerDevice(const Token& token, std::string memberID, std::string deviceID,
                                     std::string platform, Completion<void> completion) {
    return tokenCall<service::RegisterDevice>(token, std::move(completion), std::move(memberID), std::move(deviceID),
                                              std::move(platform));
}

Handle LumenoRequest::deleteDevice(const Token& token, std::string deviceID, Completion<void> completion) {
    return tokenCall<service::DeleteDevice>(token, std::move(completion), std::move(deviceID));
}

Handle LumenoRequest::sendOtp(const Token& token, std::string loginAttribute, std::string username,
                              Completion<void> completion) {
    return token ? call<service::SendOtp>(std::move(completion), std::move(loginAttribute), std::move(username), *token)
                 : call<service::SendOtpWithoutToken>(std::move(completion), std::move(loginAttribute),
                                                      std::move(username));
}

Handle LumenoRequest::generateOTPForService(OTPServiceType service, const Token& token, std::string memberId,
                                            Completion<void> completion) {
    return tokenCall<service::GenerateOTP>(token, std::move(completion), service, std::move(memberId));
}

Handle LumenoRequest::validateOTP(OTPServiceType service, const Token& token, std::string memberId, std::string otp,
                                  Completion<void> completion) {
    return tokenCall<service::ValidateOTP>(token, std::move(completion), service, std::move(memberId), std::move(otp));
}

}  // namespace lumeno
