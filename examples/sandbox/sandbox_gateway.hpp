#pragma once

// A sandbox of the platform's API gateway: the fake platform server with canned replies for a
// member "Ada", on 127.0.0.1 over plain HTTP, for the demo and for trying the library by hand.

#include <mutex>
#include <optional>
#include <string>
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

private:
    /// The member profile as the platform sends it.
    [[nodiscard]] JsonObject profile() const;
    /// Whether the request carries a token this gateway issued.
    [[nodiscard]] bool authorised(const test::RecordedRequest& request) const;
    [[nodiscard]] std::string issueToken();
    void script();

    test::FakeServer server_;
    mutable std::mutex mutex_;
    std::vector<std::string> tokens_;
    std::optional<std::string> enrolledEmail_;
};

}  // namespace lumeno::sandbox
