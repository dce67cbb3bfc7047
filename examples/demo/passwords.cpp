// The password check, one-time passwords, changing and resetting the password, devices.
#include "demo/demo.hpp"
#include "sandbox/sandbox_gateway.hpp"

namespace lumeno::demo {

using sandbox::SandboxGateway;

namespace {

/// Logs in with `password`; true when the sandbox took it.
bool logsIn(const std::string& user, const std::string& password) {
    return await<MemberResponse>([&](auto done) { LumenoRequest::login(user, password, std::move(done)); }).has_value();
}

}  // namespace

void showPasswords(const std::string& memberId) {
    const std::string user(SandboxGateway::username);
    const std::string original(SandboxGateway::password);
    const std::string changed = "battery staple";
    const auto& credentials = CredentialsManager::shared();

    auto exists = await<PasswordStatus>(
        [&](auto done) { LumenoRequest::getPasswordStatus("email", user, std::move(done)); });
    step() << std::boolalpha << user << " has a password: " << orExit(exists, "Password status").exists << "\n";

    // No token: the one-time password goes out without "Authorization".
    orExit(await<void>([&](auto done) { LumenoRequest::sendOtp(std::nullopt, "email", user, std::move(done)); }),
           "Sending a one-time password");
    orExit(await<void>([&](auto done) {
               LumenoRequest::generateOTPForService(OTPServiceType::signIn, std::nullopt, memberId, std::move(done));
           }),
           "Generating a one-time password");
    auto wrongOtp = await<void>([&](auto done) {
        LumenoRequest::validateOTP(OTPServiceType::signIn, std::nullopt, memberId, "000000", std::move(done));
    });
    orExit(await<void>([&](auto done) {
               LumenoRequest::validateOTP(OTPServiceType::signIn, std::nullopt, memberId,
                                          std::string(SandboxGateway::otp), std::move(done));
           }),
           "Validating the one-time password");
    const auto otpCode = wrongOtp ? std::nullopt : wrongOtp.error().validateOTPErrorCode();
    step() << "One-time password sent and validated; a wrong one refused (code "
           << (otpCode ? rawValue(*otpCode) : "none") << ")\n";

    auto change = await<ChangePasswordResponse>([&](auto done) {
        LumenoRequest::changePassword(std::nullopt, original, changed, std::move(done));
    });
    step() << "Password changed (\"" << orExit(change, "Changing the password").message.value_or("-")
           << "\"); stored session type " << credentials.keychain().integer("sessionTypeKey").value_or(-1)
           << ", stored password is the new one: "
           << (credentials.keychain().string("sessionTypePassword") == changed) << "\n";
    const bool newTaken = logsIn(user, changed);
    const bool oldTaken = logsIn(user, original);
    if (!newTaken || oldTaken) {
        std::cerr << "The sandbox did not switch to the new password.\n";
        std::exit(1);
    }
    step() << "Logged in again with the new password; the old one is refused\n";

    // A reset puts the original password back, so the steps after these log in as before.
    orExit(await<void>([&](auto done) {
               LumenoRequest::resetPassword(JsonObject{{"email", user}}, std::nullopt, std::nullopt, std::move(done));
           }),
           "Asking for a reset key");
    orExit(await<void>([&](auto done) {
               LumenoRequest::doResetPassword("email", user, original, std::string(SandboxGateway::resetKey),
                                              std::move(done));
           }),
           "Resetting the password");
    if (!logsIn(user, original)) {
        std::cerr << "The reset password was not accepted.\n";
        std::exit(1);
    }
    step() << "Password reset with the key " << SandboxGateway::resetKey << "; logged in with it again\n";

    orExit(await<void>([&](auto done) {
               LumenoRequest::registerDevice(std::nullopt, memberId, "device-42", "linux", std::move(done));
           }),
           "Registering the device");
    orExit(await<void>([&](auto done) { LumenoRequest::deleteDevice(std::nullopt, "device-42", std::move(done)); }),
           "Deleting the device");
    step() << "Device device-42 registered and deleted\n";
}

}  // namespace lumeno::demo
