#include "sandbox/sandbox_gateway.hpp"

#include <boost/json.hpp>
#include <httplib.h>

#include <algorithm>

#include "lumeno/core/utils.hpp"

namespace lumeno::sandbox {

std::string path(std::string_view tail) { return std::string(SandboxGateway::basePath) + std::string(tail); }

test::Reply error(int status, std::string_view code, std::string_view message, JsonObject data) {
    JsonObject entry{{"code", code}, {"message", message}, {"status_code", status}};
    if (!data.empty()) entry["data"] = std::move(data);
    return test::Reply::json(boost::json::serialize(JsonObject{{"errors", JsonArray{std::move(entry)}}}), status);
}

test::Reply json(const JsonValue& body, int status) { return test::Reply::json(boost::json::serialize(body), status); }

JsonObject body(const test::RecordedRequest& request) {
    boost::system::error_code ec;
    auto value = boost::json::parse(request.body, ec);
    return !ec && value.is_object() ? value.get_object() : JsonObject{};
}

std::string text(const JsonObject& object, std::string_view key) {
    const JsonValue* value = object.if_contains(key);
    return value != nullptr && value->is_string() ? std::string(value->get_string()) : std::string();
}

std::optional<std::string> queryValue(const test::RecordedRequest& request, std::string_view key) {
    httplib::Params params;
    httplib::detail::parse_query_text(request.query, params);
    const auto found = params.find(std::string(key));
    return found == params.end() ? std::nullopt : std::optional(found->second);
}

SandboxGateway::SandboxGateway() {
    scriptMember(*this);
    scriptActivity(*this);
    scriptLookups(*this);
    scriptFamily(*this);
    server_.otherwise(error(404, "not_found", "Not found."));
}

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
         JsonArray{JsonObject{{"loyalty_account_id", 1}, {"loyalty_account", "Stars"}, {"balance", balance()}},
                   JsonObject{{"loyalty_account_id", 2}, {"loyalty_account", "Miles"}, {"balance", 300.5}}}},
        {"favorite_sponsors",
         JsonArray{JsonObject{{"id", 11}, {"sponsor", 3}, {"sponsor_name", "Analytical Coffee"},
                              {"sponsor_short_name", "AnCo"}}}},
        {"extra_data", JsonObject{{"tier", "Gold"}, {"newsletter", true}}},
    };
}

double SandboxGateway::balance() const {
    std::lock_guard lock(mutex_);
    return balance_;
}

double SandboxGateway::adjustBalance(double points) {
    std::lock_guard lock(mutex_);
    return balance_ += points;
}

std::string SandboxGateway::issueToken() {
    std::string token = "sbx." + Utils::randomString(24);
    std::lock_guard lock(mutex_);
    tokens_.push_back(token);
    return token;
}

bool SandboxGateway::authorised(const test::RecordedRequest& request) const {
    auto header = request.headers.find("Authorization");
    if (!header) return false;
    const auto space = header->find(' ');
    if (space == std::string_view::npos) return false;
    std::lock_guard lock(mutex_);
    return std::ranges::find(tokens_, header->substr(space + 1)) != tokens_.end();
}

void SandboxGateway::onAuthorised(std::string method, std::string_view tail,
                                  std::function<test::Reply(const test::RecordedRequest&)> responder) {
    server_.on(std::move(method), path(tail), [this, responder = std::move(responder)](const test::RecordedRequest& request) {
        static const test::Reply unauthorised =
            error(401, "authentication_failed", "Authentication credentials were not provided.");
        return authorised(request) ? responder(request) : unauthorised;
    });
}

}  // namespace lumeno::sandbox
