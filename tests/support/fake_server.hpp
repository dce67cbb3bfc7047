#pragma once

// A stand-in for the platform's API gateway: cpp-httplib on 127.0.0.1 with an ephemeral port,
// plain HTTP or HTTPS, scripted replies by method and path, every request recorded.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "lumeno/core/response.hpp"

namespace httplib {
class Server;
}

namespace lumeno::test {

/// The test root, generated once per process: it signed the HTTPS server's certificate for 127.0.0.1.
struct TestPki {
    std::string rootPem;
    std::string serverPem;     ///< the server's certificate
    std::string serverKeyPem;  ///< its private key

    static const TestPki& shared();
};

/// What the server answers.
struct Reply {
    int status = 200;
    HttpHeaders headers;
    std::string body;
    std::chrono::milliseconds delay{0};  ///< wait before answering (cut short when the server stops)
    std::optional<std::string> raw;      ///< instead of the reply: these bytes, then the connection closes

    Reply() = default;
    Reply(int status, std::string body = {}, HttpHeaders headers = {})
        : status(status), headers(std::move(headers)), body(std::move(body)) {}

    /// A reply with a JSON body and its content type.
    static Reply json(std::string body, int status = 200);
    /// The connection closes without a reply.
    static Reply dropped();
    /// `bytes` go out as they are, then the connection closes: a reply cut short or malformed.
    static Reply cut(std::string bytes);
    /// The same reply, sent after `wait`.
    Reply after(std::chrono::milliseconds wait) &&;
};

/// A URL query's items in order of name, percent-escapes and "+" decoded. Every "&"-separated
/// item counts, an empty or repeated one too; an item's value starts after its first "=".
std::multimap<std::string, std::string> parsedQuery(std::string_view query);

/// One request as the server received it.
struct RecordedRequest {
    std::string method;
    std::string path;   ///< without the query
    std::string query;  ///< the text after "?", empty when none
    std::multimap<std::string, std::string> params;  ///< the query's items, as `parsedQuery` gives them
    HttpHeaders headers;
    std::string body;
};

class FakeServer {
public:
    enum class Scheme { http, https };
    using Responder = std::function<Reply(const RecordedRequest&)>;

    explicit FakeServer(Scheme scheme = Scheme::http);
    ~FakeServer();

    /// "http://127.0.0.1:<port><path>" (or https); `host` replaces the address, e.g. "localhost".
    [[nodiscard]] std::string url(std::string_view path = "", std::string_view host = "127.0.0.1") const;

    /// Answers `method` `path` (path without query) with `reply`, or by asking `responder`.
    FakeServer& on(std::string method, std::string path, Reply reply);
    FakeServer& on(std::string method, std::string path, Responder responder);
    /// Answers every request that no script matches (default: 404 with an empty body).
    FakeServer& otherwise(Reply reply);

    [[nodiscard]] std::vector<RecordedRequest> requests() const;
    [[nodiscard]] std::size_t requestCount() const { return requests().size(); }
    /// Connections the server accepted so far (a kept-alive connection counts once).
    [[nodiscard]] std::size_t connectionCount() const noexcept { return connections_; }

private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    Scheme scheme_;
    std::atomic<std::size_t> connections_{0};

    mutable std::mutex mutex_;
    std::condition_variable stopping_;
    bool stopped_ = false;
    std::map<std::pair<std::string, std::string>, Responder> scripts_;
    Responder fallback_;
    std::vector<RecordedRequest> requests_;
};

}  // namespace lumeno::test
