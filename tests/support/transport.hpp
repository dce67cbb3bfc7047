#pragma once

// Driving the library's provider and session against the fake platform server.

#include <memory>
#include <optional>
#include <string_view>
#include <thread>

#include "core/http/provider.hpp"
#include "support/fake_server.hpp"

namespace lumeno::test {

/// Points the library at `server`: the gateway is `server.url(gateway)`, the pinned host is
/// `pinnedHost`, and the pinned roots are the test root. Token type "JWT", API key "key". Turns
/// the connect guard on for the rest of the process.
void useServer(const FakeServer& server, std::string_view gateway = "/v1", std::string_view pinnedHost = "127.0.0.1");

/// Puts back what `useServer` and the tests change: roots, timeouts, refresh and logging flags,
/// callbacks. Fails the test when the connect guard refused a socket.
void resetTransport();

/// What the completion of one request saw.
struct Delivery {
    std::optional<detail::ProviderResult> result;
    int calls = 0;
    std::thread::id thread;
    std::shared_ptr<Cancellable> handle;

    [[nodiscard]] bool done() const { return calls > 0; }
    /// The failure's text, or "" for a reply.
    [[nodiscard]] std::string failure() const;
};

/// Sends `service` through a new provider; the delivery fills in on the main queue.
std::shared_ptr<Delivery> send(const detail::LumenoService& service);

/// Sends and waits for the completion.
std::shared_ptr<Delivery> sendAndWait(const detail::LumenoService& service);

/// Sends a GET of `url` straight through the session and waits for its outcome on the main queue.
Result<Response> transfer(const std::string& url, const HttpHeaders& headers = {});

/// Lets a second completion of an earlier request show: runs one more request through the
/// session and the main queue.
void settle();

}  // namespace lumeno::test
