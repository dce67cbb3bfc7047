// Enrolment, validation, login and the member's profile and balances.
#include <mutex>

#include "sandbox/sandbox_gateway.hpp"

namespace lumeno::sandbox {

void scriptMember(SandboxGateway& gateway) {
    auto& server = gateway.server();
    const std::string member(SandboxGateway::memberId);

    server.on("POST", path("/members/exists/"), [](const test::RecordedRequest& request) {
        const bool known = text(body(request), "email") == SandboxGateway::username;
        return json(JsonObject{{"exists", known}, {"validated", known}});
    });

    server.on("POST", path("/members/login/"), [&gateway](const test::RecordedRequest& request) {
        const JsonObject credentials = body(request);
        if (text(credentials, "username") != SandboxGateway::username ||
            text(credentials, "password") != SandboxGateway::password)
            return error(401, "invalid_credentials", "Unable to log in with the provided credentials.");
        return json(JsonObject{{"member_data", gateway.profile()},
                               {"token", gateway.issueToken()},
                               {"expires_in", "3600"},
                               {"success", true}});
    });

    // Enrolment remembers the one new member it created.
    auto enrolled = std::make_shared<std::pair<std::mutex, std::optional<std::string>>>();
    server.on("POST", path("/members/"), [&gateway, enrolled](const test::RecordedRequest& request) {
        const std::string email = text(body(request), "email");
        {
            std::lock_guard lock(enrolled->first);
            if (email == SandboxGateway::username || email == enrolled->second)
                return error(409, "member_exists", "A member with these details exists.",
                             JsonObject{{"member_id", SandboxGateway::memberId}});
            enrolled->second = email;
        }
        JsonObject created = gateway.profile();
        created["id"] = "M-2002";
        created["email"] = email;
        created["token"] = gateway.issueToken();
        created["expires_in"] = "3600";
        return json(created, 201);
    });

    server.on("POST", path("/members/validate/" + member + "/"), [&gateway](const test::RecordedRequest& request) {
        if (text(body(request), "otp") != SandboxGateway::otp)
            return error(400, "invalid_otp", "The one-time password is wrong.");
        return json(JsonObject{{"success", true}, {"token", gateway.issueToken()}});
    });

    // Built on each request: the balance changes during the run.
    const auto profile = [&gateway](const test::RecordedRequest&) { return json(gateway.profile()); };
    const auto wrapped = [&gateway](const test::RecordedRequest&) {
        return json(JsonObject{{"data", gateway.profile()}});
    };
    gateway.onAuthorised("GET", "/members/details/", wrapped);
    gateway.onAuthorised("GET", "/members/data/" + member + "/", wrapped);
    gateway.onAuthorised("GET", "/members/" + member + "/balances/", profile);
    gateway.onAuthorised("GET", "/members/" + member + "/loyaltyaccount/1/", [&gateway](const test::RecordedRequest&) {
        constexpr double pending = 150;
        const double total = gateway.balance();
        return json(JsonObject{{"member_id", SandboxGateway::memberId},
                               {"loyalty_account_id", "1"},
                               {"total_points", total},
                               {"available_points", total - pending},
                               {"pending_points", pending}});
    });

    gateway.onAuthorised("PATCH", "/members/update/" + member + "/", [&gateway](const test::RecordedRequest& request) {
        JsonObject updated = gateway.profile();
        for (const auto& [key, value] : body(request)) updated[key] = value;
        return json(updated);
    });
}

}  // namespace lumeno::sandbox
