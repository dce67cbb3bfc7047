#pragma once

// A sandbox of the platform's API gateway: the fake platform server with canned replies for a
// member "Ada", on 127.0.0.1 over plain HTTP, for the demo and for trying the library by hand.
// Each area of the API scripts its routes in a file of its own (`script<Area>`).

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

    SandboxGateway();

    /// The gateway URL to configure as "api_gateway": "http://127.0.0.1:<port>/api/v1".
    [[nodiscard]] std::string gatewayURL() const;
    [[nodiscard]] std::string baseURL() const;
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

    /// Answers `method` `tail` (below the base path) for authorised requests only.
    void onAuthorised(std::string method, std::string_view tail,
                      std::function<test::Reply(const test::RecordedRequest&)> responder);

private:
    test::FakeServer server_;
    mutable std::mutex mutex_;
    std::vector<std::string> tokens_;
    double balance_ = 1250;
};

// Helpers for the route files.

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

// The areas' routes.
void scriptMember(SandboxGateway& gateway);
void scriptActivity(SandboxGateway& gateway);
void scriptLookups(SandboxGateway& gateway);
void scriptFamily(SandboxGateway& gateway);

}  // namespace lumeno::sandbox
