#include "core/http/session.hpp"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <sys/socket.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/fatal.hpp"
#include "core/resources.hpp"
#include "core/shutdown.hpp"
#include "lumeno/core/main_queue.hpp"

namespace lumeno::detail {
namespace {

using Failure = LumenoError::TransportFailure;

constexpr int maxRedirects = 5;

struct Settings {
    std::mutex mutex;
    TransportTimeouts timeouts;
    std::shared_ptr<const std::string> roots;  ///< null until first needed: the embedded roots
    std::atomic<bool> guardConnections{false};
    std::atomic<std::size_t> refusedConnections{0};

    static Settings& shared() {
        static Settings settings;
        return settings;
    }
};

// ---- destinations -------------------------------------------------------------------------

struct Destination {
    std::string scheme;
    std::string host;
};

std::optional<Destination> destinationOf(const std::string& url) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), curl_url_cleanup);
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return std::nullopt;
    const auto part = [&](CURLUPart which) -> std::optional<std::string> {
        char* text = nullptr;
        if (curl_url_get(parsed.get(), which, &text, 0) != CURLUE_OK) return std::nullopt;
        std::string value(text);
        curl_free(text);
        return value;
    };
    auto scheme = part(CURLUPART_SCHEME);
    auto host = part(CURLUPART_HOST);
    if (!scheme || !host || host->empty()) return std::nullopt;
    return Destination{std::move(*scheme), std::move(*host)};
}

bool isLoopback(const std::string& host) {
    if (HttpHeaders::sameName(host, "localhost")) return true;
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return host.size() > 2 && host.front() == '[' && host.back() == ']' &&
           inet_pton(AF_INET6, host.substr(1, host.size() - 2).c_str(), &v6) == 1 &&
           IN6_IS_ADDR_LOOPBACK(&v6);
}

/// Why the session will not send to `url`, or nullopt when it may.
std::optional<std::string> refusal(const std::string& url, const std::string& pinnedHost) {
    const auto destination = destinationOf(url);
    if (!destination) return "Not a valid URL: " + url;
    if (HttpHeaders::sameName(destination->scheme, "https")) {
        if (HttpHeaders::sameName(destination->host, pinnedHost)) return std::nullopt;
        return "TLS to " + destination->host + " refused: only " + pinnedHost + " is trusted";
    }
    if (HttpHeaders::sameName(destination->scheme, "http")) {
        if (isLoopback(destination->host)) return std::nullopt;
        return "Plain HTTP to " + destination->host + " refused: only loopback addresses may be reached without TLS";
    }
    return "Unsupported URL scheme: " + destination->scheme;
}

/// Why the headers cannot go out as they are: a field that would split or corrupt the request.
std::optional<std::string> malformedHeader(const HttpHeaders& headers) {
    using namespace std::string_view_literals;
    for (const auto& [name, value] : headers.fields())
        if (name.empty() || name.find_first_of(":\r\n\0 \t"sv) != std::string::npos ||
            value.find_first_of("\r\n\0"sv) != std::string::npos)
            return "Header field refused: a name or value holds a character that a header cannot carry";
    return std::nullopt;
}

/// Why the session will not follow a redirect from `from` to `to`: it goes where no request
/// may go, or to another host.
std::optional<std::string> redirectRefusal(const std::string& from, const std::string& to,
                                           const std::string& pinnedHost) {
    if (auto refused = refusal(to, pinnedHost)) return "Redirect refused. " + *refused;
    const std::string fromHost = destinationOf(from)->host, toHost = destinationOf(to)->host;
    if (HttpHeaders::sameName(fromHost, toHost)) return std::nullopt;
    return "Redirect from " + fromHost + " to " + toHost + " refused: redirects stay on their host";
}

/// The host of the configured base URL; a base URL without one is a configuration fault.
std::string pinnedHostOf(std::string_view baseURL) {
    auto destination = destinationOf(std::string(baseURL));
    if (!destination) fatal("Invalid base URL: no host");
    return std::move(destination->host);
}

/// The connect guard of the tests: a socket only to 127.0.0.0/8 or ::1.
curl_socket_t openLoopbackSocket(void*, curlsocktype, curl_sockaddr* address) {
    bool loopback = false;
    if (address->family == AF_INET)
        loopback = (ntohl(reinterpret_cast<const sockaddr_in&>(address->addr).sin_addr.s_addr) >> 24) == 127;
    else if (address->family == AF_INET6)
        loopback = IN6_IS_ADDR_LOOPBACK(&reinterpret_cast<const sockaddr_in6&>(address->addr).sin6_addr);
    if (!loopback) {
        ++Settings::shared().refusedConnections;
        return CURL_SOCKET_BAD;
    }
    return ::socket(address->family, address->socktype, address->protocol);
}

// ---- transfers ----------------------------------------------------------------------------

/// Why a callback stopped its transfer.
struct Abort {
    Failure failure;
    std::string message;
};

struct Transfer {
    TransferId id = 0;
    HttpRequest request;
    std::string pinnedHost;
    TransferDone done;
    std::shared_ptr<const std::string> roots;
    TransportTimeouts timeouts;
    bool guardConnections = false;

    CURL* easy = nullptr;
    curl_slist* headerList = nullptr;
    Response response;
    bool headersEnded = false;  ///< the current reply's header block reached its empty line
    std::optional<Abort> abort;
    int redirects = 0;
    char error[CURL_ERROR_SIZE] = {};

    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer() {
        curl_slist_free_all(headerList);
        if (easy) curl_easy_cleanup(easy);
    }
};

/// Runs a libcurl callback's work. Nothing may be thrown through libcurl's C frames: an
/// exception aborts the transfer instead (a returned size other than `size` does that).
template <class Work>
std::size_t guarded(Transfer& transfer, std::size_t size, Work work) noexcept {
    try {
        work();
        return size;
    } catch (const std::exception& error) {
        transfer.abort = Abort{Failure::other, std::string("The reply could not be read: ") + error.what()};
    } catch (...) {
        transfer.abort = Abort{Failure::other, "The reply could not be read"};
    }
    return 0;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) noexcept {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    std::string& body = transfer.response.data;
    if (length > maxReplyBody - body.size()) {
        transfer.abort = Abort{Failure::replyTooLarge, "The reply body is larger than 64 MiB"};
        return 0;
    }
    return guarded(transfer, length, [&] { body.append(data, length); });
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) noexcept {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::string_view line(data, size * count);
    return guarded(transfer, line.size(), [&] {
        auto& headers = transfer.response.headers;
        if (line.starts_with("HTTP/")) {
            headers = {};  // a new reply begins (after an interim 1xx one)
            transfer.headersEnded = false;
        } else if (trimmed(line).empty()) {
            transfer.headersEnded = true;
        } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
            headers.add(std::string(trimmed(line.substr(0, colon))), std::string(trimmed(line.substr(colon + 1))));
        }
    });
}

Failure failureOf(CURLcode code) {
    switch (code) {
        case CURLE_OPERATION_TIMEDOUT: return Failure::timedOut;
        case CURLE_COULDNT_CONNECT:
        case CURLE_COULDNT_RESOLVE_HOST: return Failure::couldNotConnect;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS: return Failure::tls;
        default: return Failure::other;
    }
}

/// Sets up the transfer's easy handle for its current request.
void configure(Transfer& t) {
    CURL* easy = t.easy;
    const HttpRequest& request = t.request;
    t.response = Response{};
    t.response.url = request.url;
    t.headersEnded = false;
    t.error[0] = '\0';

    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &t);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, t.error);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_PROXY, "");  // straight to the server, whatever the environment says
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
    curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(easy, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(t.timeouts.connect.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(t.timeouts.total.count()));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);  // followed here, under the same rules
    if (t.guardConnections) curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, openLoopbackSocket);

    curl_blob roots{.data = const_cast<char*>(t.roots->data()), .len = t.roots->size(), .flags = CURL_BLOB_NOCOPY};
    curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &roots);
    curl_easy_setopt(easy, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);

    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);

    const bool sendsBody = !request.body.empty() || request.method == HttpMethod::post ||
                           request.method == HttpMethod::put || request.method == HttpMethod::patch;
    if (request.method != HttpMethod::get && request.method != HttpMethod::post)
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, methodName(request.method).data());
    if (sendsBody) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
    }

    curl_slist_free_all(t.headerList);
    t.headerList = nullptr;
    const auto append = [&](const std::string& line) { t.headerList = curl_slist_append(t.headerList, line.c_str()); };
    for (const auto& [name, value] : request.headers.fields())
        append(value.empty() ? name + ";" : name + ": " + value);
    append("Expect:");  // no 100-continue round trip
    if (sendsBody && !request.headers.contains("Content-Type")) append("Content-Type:");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, t.headerList);
}

/// The request to send after a redirect reply: 303, and 301/302 after a POST, turn into a GET.
HttpRequest redirected(HttpRequest request, long status, std::string location) {
    request.url = std::move(location);
    if (status == 303 || ((status == 301 || status == 302) && request.method == HttpMethod::post)) {
        request.method = HttpMethod::get;
        request.body.clear();
        request.headers.remove("Content-Type");
    }
    return request;
}

bool isRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// ---- the session --------------------------------------------------------------------------

class Session {
public:
    static Session& shared() {
        static Session session;
        return session;
    }

    TransferId start(std::unique_ptr<Transfer> transfer) {
        transfer->id = nextId_++;
        const TransferId id = transfer->id;
        {
            std::unique_lock lock(mutex_);
            if (stopping_) {
                lock.unlock();
                transfer->done(fail(LumenoError::underlying("The library has shut down.", std::nullopt,
                                                            Failure::cancelled)));
                return id;
            }
            starting_.push_back(std::move(transfer));
        }
        curl_multi_wakeup(multi_);
        return id;
    }

    /// Stops the I/O thread for good and drops every transfer without running its `done`.
    void shutdown() {
        std::vector<std::unique_ptr<Transfer>> starting;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            stopping_ = true;
            starting.swap(starting_);
            cancelling_.clear();
        }
        curl_multi_wakeup(multi_);
        if (thread_.joinable()) thread_.join();
        for (auto& [id, transfer] : active_) curl_multi_remove_handle(multi_, transfer->easy);
        active_.clear();
    }

    void cancel(TransferId id) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            cancelling_.push_back(id);
        }
        curl_multi_wakeup(multi_);
    }

private:
    Session() {
        MainQueue::shared();  // exists before the session, so it outlives the I/O thread
        curl_global_init(CURL_GLOBAL_DEFAULT);
        multi_ = curl_multi_init();
        // Under the lock, so that a shutdown running meanwhile waits for the thread to exist.
        std::lock_guard lock(mutex_);
        if (onShutdown(ShutdownStep::transfers, [this] { shutdown(); }))
            thread_ = std::thread([this] { run(); });
        else
            stopping_ = true;  // the library shut down before its first transfer
    }

    ~Session() {
        shutdown();
        curl_multi_cleanup(multi_);
        curl_global_cleanup();
    }

    void run() {
        while (takeCommands()) {
            int running = 0;
            curl_multi_perform(multi_, &running);
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi_, &left))
                if (message->msg == CURLMSG_DONE) completed(message->easy_handle, message->data.result);
            curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
        }
    }

    /// Applies the queued starts and cancels; false once the session stops.
    bool takeCommands() {
        std::vector<std::unique_ptr<Transfer>> starting;
        std::vector<TransferId> cancelling;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return false;
            starting.swap(starting_);
            cancelling.swap(cancelling_);
        }
        const std::unordered_set<TransferId> cancelled(cancelling.begin(), cancelling.end());
        for (auto& transfer : starting)
            if (!cancelled.contains(transfer->id)) begin(std::move(transfer));
        for (const TransferId id : cancelling)
            if (const auto found = active_.find(id); found != active_.end()) {
                curl_multi_remove_handle(multi_, found->second->easy);
                active_.erase(found);
            }
        return true;
    }

    void begin(std::unique_ptr<Transfer> transfer) {
        if (auto refused = refusal(transfer->request.url, transfer->pinnedHost))
            return transfer->done(fail(LumenoError::underlying(std::move(*refused), std::nullopt,
                                                               Failure::destinationRefused)));
        if (auto malformed = malformedHeader(transfer->request.headers))
            return transfer->done(fail(LumenoError::underlying(std::move(*malformed))));
        transfer->easy = curl_easy_init();
        configure(*transfer);
        curl_multi_add_handle(multi_, transfer->easy);
        const TransferId id = transfer->id;
        active_.emplace(id, std::move(transfer));
        keepConnectionsFor(active_.size());
    }

    /// Lets the multi keep as many idle connections as calls have been in flight at once, so a
    /// finished transfer's connection waits for the next call instead of being closed.
    void keepConnectionsFor(std::size_t inFlight) {
        if (inFlight <= keptConnections_) return;
        keptConnections_ = inFlight;
        curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, static_cast<long>(inFlight));
    }

    void completed(CURL* easy, CURLcode code) {
        Transfer* transfer = nullptr;
        curl_easy_getinfo(easy, CURLINFO_PRIVATE, &transfer);
        curl_multi_remove_handle(multi_, easy);
        const auto found = active_.find(transfer->id);
        auto owned = std::move(found->second);
        active_.erase(found);

        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        Response& response = owned->response;
        response.statusCode = static_cast<int>(status);
        const auto failed = [&](std::string message, Failure failure) {
            std::optional<Response> reply;
            if (status != 0 && owned->headersEnded) reply = std::move(response);
            owned->done(fail(LumenoError::underlying(std::move(message), std::move(reply), failure)));
        };
        if (owned->abort) return failed(std::move(owned->abort->message), owned->abort->failure);
        if (code != CURLE_OK) {
            std::string message = curl_easy_strerror(code);
            if (owned->error[0] != '\0') message += std::string(": ") + owned->error;
            return failed(std::move(message), failureOf(code));
        }
        // libcurl takes a connection closed inside the header block for a whole reply.
        if (!owned->headersEnded) return failed("The connection closed before the reply's headers ended", Failure::other);

        char* location = nullptr;
        curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &location);
        if (!isRedirect(status) || location == nullptr) return owned->done(std::move(response));
        if (owned->redirects == maxRedirects)
            return failed("Too many redirects: more than " + std::to_string(maxRedirects), Failure::tooManyRedirects);
        if (auto refused = redirectRefusal(owned->request.url, location, owned->pinnedHost))
            return failed(std::move(*refused), Failure::destinationRefused);
        ++owned->redirects;
        owned->request = redirected(std::move(owned->request), status, location);
        curl_easy_reset(easy);
        configure(*owned);
        curl_multi_add_handle(multi_, easy);
        active_.emplace(owned->id, std::move(owned));
    }

    CURLM* multi_ = nullptr;
    std::thread thread_;
    std::atomic<TransferId> nextId_{1};

    std::mutex mutex_;
    bool stopping_ = false;
    std::vector<std::unique_ptr<Transfer>> starting_;
    std::vector<TransferId> cancelling_;

    std::unordered_map<TransferId, std::unique_ptr<Transfer>> active_;  // the I/O thread's own
    std::size_t keptConnections_ = 0;                                     // the I/O thread's own
};

}  // namespace

TransferId startTransfer(HttpRequest request, std::string_view baseURL, TransferDone done) {
    auto transfer = std::make_unique<Transfer>();
    transfer->pinnedHost = pinnedHostOf(baseURL);
    transfer->request = std::move(request);
    transfer->done = std::move(done);
    {
        Settings& settings = Settings::shared();
        std::lock_guard lock(settings.mutex);
        if (!settings.roots) settings.roots = std::make_shared<const std::string>(embeddedRootsPem());
        transfer->roots = settings.roots;
        transfer->timeouts = settings.timeouts;
        transfer->guardConnections = settings.guardConnections;
    }
    return Session::shared().start(std::move(transfer));
}

void cancelTransfer(TransferId id) { Session::shared().cancel(id); }

void setTransportTimeouts(TransportTimeouts timeouts) {
    std::lock_guard lock(Settings::shared().mutex);
    Settings::shared().timeouts = timeouts;
}

void setPinnedRootsForTesting(std::optional<std::string> pem) {
    std::lock_guard lock(Settings::shared().mutex);
    Settings::shared().roots = pem ? std::make_shared<const std::string>(std::move(*pem)) : nullptr;
}

void guardConnectionsForTesting() { Settings::shared().guardConnections = true; }

std::size_t refusedConnectionsForTesting() { return Settings::shared().refusedConnections; }

}  // namespace lumeno::detail
