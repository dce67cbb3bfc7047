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

JsonObject* RunRecords::find(std::int64_t id) {
    for (auto& record : all)
        if (record.at("id") == id) return &record.as_object();
    return nullptr;
}

test::Reply page(const SandboxGateway& gateway, const test::RecordedRequest& request, const JsonArray& items,
                 std::string_view sizeKey, std::int64_t defaultSize,
                 const std::function<JsonValue(JsonArray)>& wrap) {
    const auto size = queryValue(request, sizeKey) ? queryNumber<std::int64_t>(request, sizeKey) : defaultSize;
    const auto number = queryValue(request, "page") ? queryNumber<std::int64_t>(request, "page") : 1;
    if (!size || *size < 1 || *size > 100)
        return error(400, "invalid_page_size", "The page size is a whole number from 1 to 100.");
    const auto count = static_cast<std::int64_t>(items.size());
    const std::int64_t pages = std::max<std::int64_t>(1, (count + *size - 1) / *size);
    if (!number || *number < 1 || *number > pages) return error(404, "not_found", "Invalid page.");
    const std::int64_t first = (*number - 1) * *size;
    test::Reply reply = json(wrap(JsonArray(items.begin() + first, items.begin() + std::min(count, first + *size))));
    const auto cursor = [&](std::int64_t to) {
        httplib::Params params;
        httplib::detail::parse_query_text(request.query, params);
        params.erase("page");
        params.emplace("page", std::to_string(to));
        return gateway.baseURL() + httplib::append_query_params(request.path, params);
    };
    if (*number > 1) reply.headers.add("prev", cursor(*number - 1));
    if (*number < pages) reply.headers.add("next", cursor(*number + 1));
    return reply;
}

SandboxGateway::SandboxGateway(int port) : server_(test::FakeServer::Scheme::http, port) {
    scriptMember(*this);
    scriptOffers(*this);
    scriptActivity(*this);
    scriptCards(*this);
    scriptSponsors(*this);
    scriptSocial(*this);
    scriptPasswords(*this);
    scriptLookups(*this);
    scriptFamily(*this);
    test::Reply plist(200, samplePlist());
    plist.headers.add("Content-Type", "application/xml");
    server_.on("GET", std::string(samplePlistPath), std::move(plist));
    server_.otherwise(error(404, "not_found", "Not found."));
}

std::string SandboxGateway::gatewayURL() const { return server_.url(basePath); }
std::string SandboxGateway::baseURL() const { return server_.url(); }

std::string SandboxGateway::samplePlist() const {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>api_gateway</key>
	<string>)" + gatewayURL() + R"(</string>
	<key>base_url</key>
	<string>)" + baseURL() + R"(</string>
	<key>x-api-key</key>
	<string>sandbox-api-key</string>
	<key>token_type</key>
	<string>JWT</string>
	<key>program_id</key>
	<integer>1</integer>
	<key>program_time_zone</key>
	<string>UTC</string>
	<key>token_refresh_mandatory</key>
	<true/>
</dict>
</plist>
)";
}

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

JsonObject SandboxGateway::signIn() {
    return JsonObject{{"member_data", profile()}, {"token", issueToken()}, {"expires_in", "3600"}, {"success", true}};
}

std::string SandboxGateway::currentPassword() const {
    std::lock_guard lock(mutex_);
    return currentPassword_;
}

void SandboxGateway::setCurrentPassword(std::string password) {
    std::lock_guard lock(mutex_);
    currentPassword_ = std::move(password);
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
