// Passwords (exists, set, change, reset with a reset key), one-time passwords and devices.
#include <mutex>
#include <set>

#include "sandbox/sandbox_gateway.hpp"

namespace lumeno::sandbox {

namespace {

/// Why the platform would refuse `password` as Ada's new password; nullopt when it takes it.
std::optional<test::Reply> refused(const SandboxGateway& gateway, const std::string& password) {
    if (password.size() < 8) return error(400, "password_too_short", "The password needs at least 8 characters.");
    if (password == gateway.currentPassword())
        return error(400, "repeat_password", "The new password must differ from the current one.");
    return std::nullopt;
}

}  // namespace

void scriptPasswords(SandboxGateway& gateway) {
    auto& server = gateway.server();
    const std::string member(SandboxGateway::memberId);

    server.on("POST", path("/members/password-exists/"), [](const test::RecordedRequest& request) {
        return json(JsonObject{{"exists", text(body(request), "email") == SandboxGateway::username}});
    });

    // Setting a password takes the token of a one-time-password check, changing it the member's.
    gateway.onAuthorised("POST", "/accounts/choose-password/", [&gateway](const test::RecordedRequest& request) {
        const std::string password = text(body(request), "password");
        if (auto refusal = refused(gateway, password)) return *refusal;
        gateway.setCurrentPassword(password);
        return json(JsonObject{{"message", "Password set."}, {"status", "success"}});
    });
    gateway.onAuthorised("PUT", "/accounts/change-password/", [&gateway](const test::RecordedRequest& request) {
        const JsonObject change = body(request);
        if (text(change, "current_password") != gateway.currentPassword())
            return error(400, "invalid_credentials", "The current password is wrong.");
        const std::string password = text(change, "password");
        if (auto refusal = refused(gateway, password)) return *refusal;
        gateway.setCurrentPassword(password);
        return json(JsonObject{{"message", "Password changed."}, {"status", "success"}});
    });

    // A reset arms the reset key (as if it had been mailed to Ada); the key works once.
    auto resetArmed = std::make_shared<std::pair<std::mutex, bool>>();
    server.on("POST", path("/accounts/reset-password/"), [resetArmed](const test::RecordedRequest& request) {
        if (text(body(request), "email") != SandboxGateway::username)
            return error(404, "not_found", "No member has this e-mail address.");
        std::lock_guard lock(resetArmed->first);
        resetArmed->second = true;
        return test::Reply(204);
    });
    server.on("POST", path("/accounts/do-reset-password/"), [&gateway, resetArmed](const test::RecordedRequest& request) {
        const JsonObject reset = body(request);
        std::lock_guard lock(resetArmed->first);
        if (!resetArmed->second || text(reset, "email") != SandboxGateway::username ||
            text(reset, "reset_key") != SandboxGateway::resetKey)
            return error(400, "incorrect_code", "The reset key is wrong or used.");
        const std::string password = text(reset, "new_password");
        if (auto refusal = refused(gateway, password)) return *refusal;
        resetArmed->second = false;
        gateway.setCurrentPassword(password);
        return test::Reply(204);
    });

    // One-time passwords go to Ada's e-mail address or mobile number; the code is always `otp`.
    server.on("POST", path("/members/send-otp/"), [&gateway](const test::RecordedRequest& request) {
        const JsonObject attribute = body(request);
        const std::string key = attribute.size() == 1 ? std::string(attribute.begin()->key()) : "";
        const std::string value = text(attribute, key);
        if (value.empty() || text(gateway.profile(), key) != value)
            return error(404, "not_found", "No member has these details.");
        return json(JsonObject{{"message", "One-time password sent."}});
    });
    gateway.onAuthorised("POST", "/members/" + member + "/otp/", [](const test::RecordedRequest& request) {
        const JsonObject otp = body(request);
        if (text(otp, "action") == "VALIDATE" && text(otp, "otp") != SandboxGateway::otp)
            return error(400, "invalid_otp", "The one-time password is wrong.");
        return json(JsonObject{{"message", "OK"}, {"service", text(otp, "service")}});
    });

    auto devices = std::make_shared<std::pair<std::mutex, std::set<std::string>>>();
    gateway.onAuthorised("POST", "/members/devices/", [devices](const test::RecordedRequest& request) {
        const JsonObject device = body(request);
        if (text(device, "member") != SandboxGateway::memberId || text(device, "device").empty())
            return error(400, "invalid", "A device needs its member and id.");
        std::lock_guard lock(devices->first);
        devices->second.insert(text(device, "device"));
        return json(device, 201);
    });
    gateway.onAuthorised("DELETE", "/members/devices/", [devices](const test::RecordedRequest& request) {
        std::lock_guard lock(devices->first);
        if (devices->second.erase(text(body(request), "device")) == 0)
            return error(404, "not_found", "No such device.");
        return test::Reply(204);
    });
}

}  // namespace lumeno::sandbox
