#include "sandbox/sandbox_gateway.hpp"

#include <boost/json.hpp>

#include <algorithm>

#include "lumeno/core/utils.hpp"

namespace lumeno::sandbox {

namespace {

using test::RecordedRequest;
using test::Reply;

std::string path(std::string_view tail) { return std::string(SandboxGateway::basePath) + std::string(tail); }

Reply error(int status, std::string_view code, std::string_view message, JsonObject data = {}) {
    JsonObject entry{{"code", code}, {"message", message}, {"status_code", status}};
    if (!data.empty()) entry["data"] = std::move(data);
    return Reply::json(boost::json::serialize(JsonObject{{"errors", JsonArray{std::move(entry)}}}), status);
}

Reply json(const JsonValue& body, int status = 200) { return Reply::json(boost::json::serialize(body), status); }

/// The request body as an object; empty when it is none.
JsonObject body(const RecordedRequest& request) {
    boost::system::error_code ec;
    auto value = boost::json::parse(request.body, ec);
    return !ec && value.is_object() ? value.get_object() : JsonObject{};
}

std::string text(const JsonObject& object, std::string_view key) {
    const JsonValue* value = object.if_contains(key);
    return value != nullptr && value->is_string() ? std::string(value->get_string()) : std::string();
}

const Reply kUnauthorised = error(401, "authentication_failed", "Authentication credentials were not provided.");

}  // namespace

SandboxGateway::SandboxGateway() { script(); }

std::string SandboxGateway::gatewayURL() const { return server_.url(basePath); }
std::string SandboxGateway::baseURL() const { return server_.url(); }

JsonObject SandboxGateway::profile() const {
    return JsonObject{
        {"id", memberId},
        {"first_name", "Ada"},
        {"last_name", "Lovelace"},
        {"email", username},
        {"mobile", "+44 20 7946 0018"},
        {"date_of_birth", "1815-12-10"},
        {"status", "ACTIVE"},
        {"balances",
         JsonArray{JsonObject{{"loyalty_account_id", 1}, {"loyalty_account", "Stars"}, {"balance", 1250}},
                   JsonObject{{"loyalty_account_id", 2}, {"loyalty_account", "Miles"}, {"balance", 300.5}}}},
        {"favorite_sponsors",
         JsonArray{JsonObject{{"id", 11}, {"sponsor", 3}, {"sponsor_name", "Analytical Coffee"},
                              {"sponsor_short_name", "AnCo"}}}},
        {"extra_data", JsonObject{{"tier", "Gold"}, {"newsletter", true}}},
    };
}

std::string SandboxGateway::issueToken() {
    std::string token = "sbx." + Utils::randomString(24);
    std::lock_guard lock(mutex_);
    tokens_.push_back(token);
    return token;
}

bool SandboxGateway::authorised(const RecordedRequest& request) const {
    auto header = request.headers.find("Authorization");
    if (!header) return false;
    const auto space = header->find(' ');
    if (space == std::string_view::npos) return false;
    std::lock_guard lock(mutex_);
    return std::ranges::find(tokens_, header->substr(space + 1)) != tokens_.end();
}

void SandboxGateway::script() {
    const std::string member(memberId);

    server_.on("POST", path("/members/exists/"), [](const RecordedRequest& request) {
        const bool known = text(body(request), "email") == username;
        return json(JsonObject{{"exists", known}, {"validated", known}});
    });

    server_.on("POST", path("/members/login/"), [this](const RecordedRequest& request) {
        const JsonObject credentials = body(request);
        if (text(credentials, "username") != username || text(credentials, "password") != password)
            return error(401, "invalid_credentials", "Unable to log in with the provided credentials.");
        return json(JsonObject{
            {"member_data", profile()}, {"token", issueToken()}, {"expires_in", "3600"}, {"success", true}});
    });

    server_.on("POST", path("/members/"), [this](const RecordedRequest& request) {
        const std::string email = text(body(request), "email");
        {
            std::lock_guard lock(mutex_);
            if (email == username || email == enrolledEmail_)
                return error(409, "member_exists", "A member with these details exists.",
                             JsonObject{{"member_id", memberId}});
            enrolledEmail_ = email;
        }
        JsonObject created = profile();
        created["id"] = "M-2002";
        created["email"] = email;
        created["token"] = issueToken();
        created["expires_in"] = "3600";
        return json(created, 201);
    });

    server_.on("POST", path("/members/validate/" + member + "/"), [this](const RecordedRequest& request) {
        if (text(body(request), "otp") != otp) return error(400, "invalid_otp", "The one-time password is wrong.");
        return json(JsonObject{{"success", true}, {"token", issueToken()}});
    });

    const auto guarded = [this](JsonValue reply) {
        return [this, reply = std::move(reply)](const RecordedRequest& request) {
            return authorised(request) ? json(reply) : kUnauthorised;
        };
    };
    server_.on("GET", path("/members/details/"), guarded(JsonObject{{"data", profile()}}));
    server_.on("GET", path("/members/data/" + member + "/"), guarded(JsonObject{{"data", profile()}}));
    server_.on("GET", path("/members/" + member + "/balances/"), guarded(profile()));
    server_.on("GET", path("/members/" + member + "/loyaltyaccount/1/"),
               guarded(JsonObject{{"member_id", memberId},
                                  {"loyalty_account_id", "1"},
                                  {"total_points", 1250},
                                  {"available_points", 1100},
                                  {"pending_points", 150}}));

    server_.on("PATCH", path("/members/update/" + member + "/"), [this](const RecordedRequest& request) {
        if (!authorised(request)) return kUnauthorised;
        JsonObject updated = profile();
        for (const auto& [key, value] : body(request)) updated[key] = value;
        return json(updated);
    });

    server_.otherwise(error(404, "not_found", "Not found."));
}

}  // namespace lumeno::sandbox
