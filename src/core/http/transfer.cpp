#include "core/http/transfer.hpp"

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <new>
#include <string_view>

namespace lumeno::detail {
namespace {

using Failure = LumenoError::TransportFailure;

constexpr int maxRedirects = 5;

/// Stops the transfer from a callback, for `failure`.
[[gnu::cold]] void stop(Transfer& transfer, Failure failure, std::string message) {
    transfer.abort = std::make_unique<Abort>(Abort{failure, std::move(message)});
}

/// Runs a libcurl callback's work. Nothing may be thrown through libcurl's C frames: an
/// exception aborts the transfer instead, as the work may (a returned size other than `size`
/// does that).
template <class Work>
std::size_t guarded(Transfer& transfer, std::size_t size, Work work) noexcept {
    try {
        work();
    } catch (const std::exception& error) {
        stop(transfer, Failure::other, std::string("The reply could not be read: ") + error.what());
    } catch (...) {
        stop(transfer, Failure::other, "The reply could not be read");
    }
    return transfer.abort ? 0 : size;
}

[[gnu::cold]] void replyTooLarge(Transfer& transfer) {
    stop(transfer, Failure::replyTooLarge, "The reply body is larger than 64 MiB");
}

/// The reply as it arrives, made when the first of it does: a call held in flight holds none.
Response& replyOf(Transfer& transfer) {
    if (!transfer.response) transfer.response = std::make_unique<Response>();
    return *transfer.response;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) noexcept {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    return guarded(transfer, length, [&] {
        std::string& body = replyOf(transfer).data;
        if (length > maxReplyBody - body.size()) replyTooLarge(transfer);
        else body.append(data, length);
    });
}

/// At the end of a reply's headers: a declared length over the cap fails the transfer before
/// any of the body is taken; one within it sizes the body buffer once. The body itself is
/// still held to the cap as it arrives, whatever the header said.
void admitBody(Transfer& transfer) {
    curl_off_t length = -1;
    curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length > static_cast<curl_off_t>(maxReplyBody)) replyTooLarge(transfer);
    else if (length > 0) replyOf(transfer).data.reserve(static_cast<std::size_t>(length));
}

/// `text` without the spaces, tabs and line ends around it.
std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) noexcept {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::string_view line(data, size * count);
    return guarded(transfer, line.size(), [&] {
        auto& headers = replyOf(transfer).headers;
        if (line.starts_with("HTTP/")) {
            headers = {};  // a new reply begins (after an interim 1xx one)
            transfer.headersEnded = false;
        } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
            headers.add(std::string(trimmed(line.substr(0, colon))), std::string(trimmed(line.substr(colon + 1))));
        } else if (trimmed(line).empty()) {  // the empty line that ends the header block
            transfer.headersEnded = true;
            admitBody(transfer);
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

/// Whether a header line (name, then ':' or ';') names "Content-Type".
bool namesContentType(std::string_view line) {
    return HttpHeaders::sameName(line.substr(0, line.find_first_of(":;")), "Content-Type");
}

bool sendsBody(HttpMethod method, std::string_view body) {
    return !body.empty() || method == HttpMethod::post || method == HttpMethod::put || method == HttpMethod::patch;
}

/// Gives the easy handle `value` for `option`, unless `given` says it holds that already.
template <class Value>
void give(CURL* easy, CURLoption option, Value& given, Value value) {
    if (given == value) return;
    given = value;
    curl_easy_setopt(easy, option, value);
}

/// Sets up the easy handle for the transfer's current request, and empties what a reply fills.
void setUp(Transfer& t) {
    CURL* easy = t.easy;
    if (t.response) *t.response = Response{};
    t.headersEnded = false;
    t.error[0] = '\0';
    give(easy, CURLOPT_CURLU, t.given.url, t.url.get());
    if (const std::string_view body = t.text.body(); sendsBody(t.method, body)) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
        t.given.get = false;
    } else if (!t.given.get) {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        t.given.get = true;
    }
    const bool custom = t.method != HttpMethod::get && t.method != HttpMethod::post;
    give(easy, CURLOPT_CUSTOMREQUEST, t.given.method, custom ? methodName(t.method).data() : nullptr);
    give(easy, CURLOPT_HTTPHEADER, t.given.lines, t.text.list());
}

bool isRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

std::atomic<std::size_t>& refusedConnections() {
    static std::atomic<std::size_t> refused{0};
    return refused;
}

void RequestText::reserve(std::size_t lines, std::size_t textSize) {
    const std::size_t size = lines * sizeof(curl_slist) + textSize;
    if (size > capacity_) {
        block_ = std::make_unique_for_overwrite<std::byte[]>(size);
        capacity_ = size;
    }
    lines_ = static_cast<std::uint32_t>(lines);
}

void RequestText::trim() {
    constexpr std::size_t keptRoom = 4096;
    if (capacity_ <= keptRoom) return;
    *this = RequestText();
}

template <class EachLine>
void RequestText::lay(std::string_view body, EachLine eachLine) {
    using Pieces = std::initializer_list<std::string_view>;
    std::size_t lines = 0, size = body.size();
    eachLine([&](Pieces pieces) {
        ++lines;
        for (const std::string_view piece : pieces) size += piece.size();
        ++size;
    });
    reserve(lines, size);
    char* out = std::ranges::copy(body, text()).out;
    bodySize_ = body.size();
    auto* node = reinterpret_cast<curl_slist*>(block_.get());
    curl_slist* last = nullptr;
    eachLine([&](Pieces pieces) {
        char* line = out;
        for (const std::string_view piece : pieces) out = std::ranges::copy(piece, out).out;
        *out++ = '\0';
        last = std::construct_at(node, curl_slist{.data = line, .next = node + 1});
        ++node;
    });
    if (last != nullptr) last->next = nullptr;
}

void RequestText::assign(std::string_view body, const HttpHeaders& fields, bool sendsBody) {
    const bool noContentType = sendsBody && !fields.contains("Content-Type");
    lay(body, [&](const auto& add) {
        for (const auto& [name, value] : fields.fields()) add({name, value.empty() ? ";" : ": ", value});
        if (sendsBody) add({"Expect:"});  // no 100-continue round trip
        if (noContentType) add({"Content-Type:"});
    });
}

void RequestText::redirect(bool toGet) {
    RequestText next;  // laid out from this one's body and lines, which must stay where they are meanwhile
    next.lay(toGet ? std::string_view() : body(), [&](const auto& add) {
        for (const curl_slist* node = list(); node != nullptr; node = node->next)
            if (!toGet || !namesContentType(node->data)) add({node->data});
    });
    *this = std::move(next);
}

CURL* newEasyHandle(Transfer& transfer) {
    CURL* easy = curl_easy_init();
    // The handle stays with this transfer record, whatever calls it carries.
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.error);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // Straight to the server, whatever proxies the environment names: every host is exempt, which
    // libcurl checks before it reads the environment, so it reads none of it for a transfer.
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
    curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(easy, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);  // followed by the session, under the same rules
    curl_easy_setopt(easy, CURLOPT_CAINFO, static_cast<const char*>(nullptr));  // the pinned roots alone
    curl_easy_setopt(easy, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    return easy;
}

void configure(Transfer& t, HttpRequest&& request, const TransportTimeouts& timeouts) {
    CURL* easy = t.easy;
    t.method = request.method;
    t.tls = request.parsed->isTls();
    t.url = std::move(request.parsed->handle);
    t.urlText = std::move(request.url);
    t.text.assign(request.body, request.headers, sendsBody(t.method, request.body));
    give(easy, CURLOPT_CONNECTTIMEOUT_MS, t.given.connectMs, static_cast<long>(timeouts.connect.count()));
    give(easy, CURLOPT_TIMEOUT_MS, t.given.totalMs, static_cast<long>(timeouts.total.count()));
    // Over TLS the transfer trusts the pinned roots alone, and waits for a connection it can
    // multiplex on (HTTP/2) rather than opening one of its own; over plain HTTP (1.1) that
    // would only wait for the first reply. Redirects stay on the origin, and so on its scheme.
    if (t.tls && t.given.roots != t.roots.get()) {
        t.roots->applyTo(easy);
        t.given.roots = t.roots.get();
    }
    give(easy, CURLOPT_PIPEWAIT, t.given.pipeWait, t.tls ? 1L : 0L);
    setUp(t);
}

namespace {

/// The transfer's failure, with the reply when one had arrived.
[[gnu::cold]] Result<Response> failed(Transfer& transfer, std::string message, Failure failure) {
    std::optional<Response> reply;
    if (transfer.response->statusCode != 0 && transfer.headersEnded) reply = std::move(*transfer.response);
    return fail(LumenoError::underlying(std::move(message), std::move(reply), failure));
}

}  // namespace

std::optional<Result<Response>> outcome(Transfer& t, CURLcode code) {
    Response& reply = replyOf(t);
    reply.url = std::move(t.urlText);  // a redirect followed sets the next one
    long status = 0;
    curl_easy_getinfo(t.easy, CURLINFO_RESPONSE_CODE, &status);
    reply.statusCode = static_cast<int>(status);
    if (t.abort) return failed(t, std::move(t.abort->message), t.abort->failure);
    if (code != CURLE_OK) {
        std::string message = curl_easy_strerror(code);
        if (t.error[0] != '\0') message += std::string(": ") + t.error;
        return failed(t, std::move(message), failureOf(code));
    }
    // libcurl takes a connection closed inside the header block for a whole reply.
    if (!t.headersEnded) return failed(t, "The connection closed before the reply's headers ended", Failure::other);

    char* location = nullptr;
    if (!isRedirect(status) || curl_easy_getinfo(t.easy, CURLINFO_REDIRECT_URL, &location) != CURLE_OK ||
        location == nullptr)
        return std::move(reply);
    if (t.redirects == maxRedirects)
        return failed(t, "Too many redirects: more than " + std::to_string(maxRedirects), Failure::tooManyRedirects);
    std::string target = location;
    auto next = ParsedUrl::parse(target);
    // The origin of the request answered, read from the parse libcurl sent it from.
    const Origin from = originOf(t.url.get()).value_or(Origin{});
    if (auto refused = redirectRefusal(from, next, target, *t.pinnedHost))
        return failed(t, std::move(*refused), Failure::destinationRefused);
    ++t.redirects;
    // 303, and 301/302 after a POST, turn into a GET without the body and its content type.
    const bool toGet = status == 303 || ((status == 301 || status == 302) && t.method == HttpMethod::post);
    if (toGet) t.method = HttpMethod::get;
    t.text.redirect(toGet);
    t.urlText = std::move(target);
    t.url = std::move(next->handle);
    setUp(t);
    return std::nullopt;
}

}  // namespace lumeno::detail
