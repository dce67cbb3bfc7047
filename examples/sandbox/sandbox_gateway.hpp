#pragma once

// A sandbox of the platform's API gateway: the fake platform server with canned replies for a
// member "Ada", on 127.0.0.1 over plain HTTP, for the demo and for trying the library by hand.
// Each area of the API scripts its routes in a file of its own (`script<Area>`).

#include <charconv>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lumeno/core/json/json.hpp"
#include "support/fake_server.hpp"

namespace lumeno::sandbox {

class SandboxGateway {
public:
    static constexpr std::string_view basePath = "/api/v1";
    static constexpr std::string_view memberId = "M-1001";
    static constexpr std::string_view username = "ada@example.com";
    static constexpr std::string_view password = "correct horse";
    static constexpr std::string_view otp = "123456";
    /// The key a password reset asks the member to type in.
    static constexpr std::string_view resetKey = "RK-1815";

    /// The path of the sample configuration the gateway serves.
    static constexpr std::string_view samplePlistPath = "/Lumeno.plist";

    /// Listens on 127.0.0.1:`port`, an ephemeral port when 0; throws `std::runtime_error` when
    /// it cannot.
    explicit SandboxGateway(int port = 0);

    /// The gateway URL to configure as "api_gateway" (the setting `tenant`):
    /// "http://127.0.0.1:<port>/api/v1".
    [[nodiscard]] std::string gatewayURL() const;
    /// The base URL to configure as "base_url" (the setting `baseURL`): "http://127.0.0.1:<port>".
    [[nodiscard]] std::string baseURL() const;
    /// A configuration property list (XML) that points a host at this gateway.
    [[nodiscard]] std::string samplePlist() const;
    [[nodiscard]] test::FakeServer& server() noexcept { return server_; }

    /// The member profile as the platform sends it, with the current balances.
    [[nodiscard]] JsonObject profile() const;
    /// Ada's balance of loyalty account 1 ("Stars").
    [[nodiscard]] double balance() const;
    /// Changes that balance by `points` (negative lowers it) for the rest of the run; returns
    /// the new balance.
    double adjustBalance(double points);
    /// Whether the request carries a token this gateway issued.
    [[nodiscard]] bool authorised(const test::RecordedRequest& request) const;
    [[nodiscard]] std::string issueToken();
    /// The reply of a successful sign-in: Ada's profile and a new token for an hour.
    [[nodiscard]] JsonObject signIn();

    /// The password the login route accepts: `password` until a password route changes it.
    [[nodiscard]] std::string currentPassword() const;
    void setCurrentPassword(std::string password);

    /// Answers `method` `tail` (below the base path) for authorised requests only.
    void onAuthorised(std::string method, std::string_view tail,
                      std::function<test::Reply(const test::RecordedRequest&)> responder);

private:
    test::FakeServer server_;
    mutable std::mutex mutex_;
    std::vector<std::string> tokens_;
    double balance_ = 1250;
    std::string currentPassword_{password};
};

// Helpers for the route files.

/// Records that routes change during a run (keep them in a shared_ptr captured by the
/// responders): the server answers on its own threads, so hold `mutex` while using them.
struct RunRecords {
    std::mutex mutex;
    std::int64_t nextId = 1;  ///< the id of the next record added
    JsonArray all;

    /// The record whose "id" is `id`; nullptr when there is none.
    JsonObject* find(std::int64_t id);
};

/// `tail` below the gateway's base path.
std::string path(std::string_view tail);
/// A platform error body with one entry.
test::Reply error(int status, std::string_view code, std::string_view message, JsonObject data = {});
test::Reply json(const JsonValue& body, int status = 200);
/// The request body as an object; empty when it is none.
JsonObject body(const test::RecordedRequest& request);
/// The text under `key`, or empty.
std::string text(const JsonObject& object, std::string_view key);
/// The value of the URL query parameter `key`, decoded; nullopt when the query has none.
std::optional<std::string> queryValue(const test::RecordedRequest& request, std::string_view key);
/// The URL query parameter `key` read whole as a `Number`; nullopt when absent or not one.
template <class Number>
std::optional<Number> queryNumber(const test::RecordedRequest& request, std::string_view key) {
    const auto value = queryValue(request, key);
    if (!value) return std::nullopt;
    Number number{};
    const char* end = value->data() + value->size();
    const auto [ptr, ec] = std::from_chars(value->data(), end, number);
    return ec == std::errc{} && ptr == end ? std::optional(number) : std::nullopt;
}
/// The page of `items` that the request asks for: `sizeKey` gives the page size (1 to 100,
/// `defaultSize` when absent) and "page" the page (from 1). The "prev" and "next" headers are
/// whole URLs of the neighbouring pages; `wrap` turns the page's items into the body.
test::Reply page(const SandboxGateway& gateway, const test::RecordedRequest& request, const JsonArray& items,
                 std::string_view sizeKey, std::int64_t defaultSize,
                 const std::function<JsonValue(JsonArray)>& wrap = [](JsonArray content) { return content; });

// The areas' routes.
void scriptMember(SandboxGateway& gateway);
void scriptOffers(SandboxGateway& gateway);
void scriptActivity(SandboxGateway& gateway);
void scriptSocial(SandboxGateway& gateway);
void scriptPasswords(SandboxGateway& gateway);
void scriptLookups(SandboxGateway& gateway);
void scriptFamily(SandboxGateway& gateway);
void scriptCards(SandboxGateway& gateway);
void scriptSponsors(SandboxGateway& gateway);

}  // namespace lumeno::sandbox
