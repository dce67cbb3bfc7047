#include "support/transport.hpp"

#include <gtest/gtest.h>

#include "api/library_provider.hpp"
#include "core/http/session.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/main_queue.hpp"
#include "support/wait.hpp"

namespace lumeno::test {

void useServer(const FakeServer& server, std::string_view gateway, std::string_view pinnedHost) {
    detail::guardConnectionsForTesting();
    Lumeno::shared().updateSettings([&](LumenoSettings& settings) {
        settings.tenant = server.url(gateway);
        settings.baseURL = "https://" + std::string(pinnedHost) + "/";
        settings.apiKey = "key";
        settings.tokenType = "JWT";
    });
    detail::setPinnedRootsForTesting(TestPki::shared().rootPem);
}

void resetTransport() {
    EXPECT_EQ(detail::refusedConnectionsForTesting(), 0u) << "a transfer tried to leave loopback";
    detail::setPinnedRootsForTesting(std::nullopt);
    detail::setTransportTimeouts({});
    Lumeno& lumeno = Lumeno::shared();
    lumeno.updateSettings([](LumenoSettings& settings) {
        settings.tokenRefreshMandatory = settings.apiLogsEnabled = false;
    });
    lumeno.tokenDidRefresh(nullptr);
    lumeno.didUnauthorisedRequest(nullptr);
    lumeno.setTokenRefresh(nullptr);
}

std::string Delivery::failure() const { return result && !*result ? result->error().detail() : ""; }

std::shared_ptr<Delivery> send(const detail::LumenoService& service) {
    auto delivery = std::make_shared<Delivery>();
    delivery->handle = detail::libraryProvider().request(service, [delivery](detail::ProviderResult&& result) {
        ++delivery->calls;
        delivery->thread = std::this_thread::get_id();
        delivery->result = std::move(result);
    });
    return delivery;
}

std::shared_ptr<Delivery> sendAndWait(const detail::LumenoService& service) {
    auto delivery = send(service);
    waitFor([&] { return delivery->done(); });
    return delivery;
}

Result<Response> transfer(const std::string& url, const HttpHeaders& headers) {
    auto outcome = std::make_shared<std::optional<Result<Response>>>();
    detail::HttpRequest request{.method = detail::HttpMethod::get, .url = url, .headers = headers, .body = {}};
    detail::startTransfer(std::move(request), Lumeno::shared().settings()->baseURL, [outcome](Result<Response> result) {
        MainQueue::shared().post([outcome, result = std::move(result)] { *outcome = result; });
    });
    if (!waitFor([&] { return outcome->has_value(); })) return fail(LumenoError::underlying("no outcome in time"));
    return **outcome;
}

void settle() {
    FakeServer server;
    transfer(server.url("/settle"));
}

}  // namespace lumeno::test
