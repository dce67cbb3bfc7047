#include "core/http/transfer.hpp"

#include <initializer_list>
#include <string_view>

namespace lumeno::detail {
namespace {

using Failure = LumenoError::TransportFailure;

constexpr int maxRedirects = 5;

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

Abort replyTooLarge() { return {Failure::replyTooLarge, "The reply body is larger than 64 MiB"}; }

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) noexcept {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    std::string& body = transfer.response.data;
    if (length > maxReplyBody - body.size()) {
        transfer.abort = replyTooLarge();
        return 0;
    }
    return guarded(transfer, length, [&] { body.append(data, length); });
}

/// At the end of a reply's headers: a declared length over the cap fails the transfer before
/// any of the body is taken; one within it sizes the body buffer once. The body itself is
/// still held to the cap as it arrives, whatever the header said.
void admitBody(Transfer& transfer) {
    curl_off_t length = -1;
    curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length > static_cast<curl_off_t>(maxReplyBody)) transfer.abort = replyTooLarge();
    else if (length > 0) transfer.response.data.reserve(static_cast<std::size_t>(length));
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
    const std::size_t taken = guarded(transfer, line.size(), [&] {
        auto& headers = transfer.response.headers;
        if (line.starts_with("HTTP/")) {
            headers = {};  // a new reply begins (after an interim 1xx one)
            transfer.headersEnded = false;
        } else if (trimmed(line).empty()) {
            transfer.headersEnded = true;
            admitBody(transfer);
        } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
            headers.add(std::string(trimmed(line.substr(0, colon))), std::string(trimmed(line.substr(colon + 1))));
        }
    });
    return transfer.abort ? 0 : taken;
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

}  // namespace

std::atomic<std::size_t>& refusedConnections() {
    static std::atomic<std::size_t> refused{0};
    return refused;
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
    curl_easy_setopt(easy, CURLOPT_PROXY, "");  // straight to the server, whatever the environment says
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

void configure(Transfer& t) {
    CURL* easy = t.easy;
    const HttpRequest& request = t.request;
    t.response = Response{};
    t.headersEnded = false;
    t.error[0] = '\0';

    curl_easy_setopt(easy, CURLOPT_CURLU, request.parsed->handle.get());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(t.timeouts.connect.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(t.timeouts.total.count()));

    // Over TLS the transfer trusts the pinned roots alone, and waits for a connection it can
    // multiplex on (HTTP/2) rather than opening one of its own; over plain HTTP (1.1) that
    // would only wait for the first reply.
    const bool tls = request.parsed->isTls();
    if (tls) t.roots->applyTo(easy);
    curl_easy_setopt(easy, CURLOPT_PIPEWAIT, tls ? 1L : 0L);

    const bool sendsBody = !request.body.empty() || request.method == HttpMethod::post ||
                           request.method == HttpMethod::put || request.method == HttpMethod::patch;
    if (sendsBody) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }
    const bool custom = request.method != HttpMethod::get && request.method != HttpMethod::post;
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, custom ? methodName(request.method).data() : nullptr);

    // Every line is written into one buffer sized first, so that neither it nor the list moves
    // while the list's nodes are pointed at its lines.
    const auto& fields = request.headers.fields();
    std::size_t size = sizeof "Expect:" + sizeof "Content-Type:";
    for (const auto& [name, value] : fields) size += name.size() + value.size() + 3;
    std::string& lines = t.headerLines;
    std::vector<curl_slist>& list = t.headerList;
    lines.clear();
    lines.reserve(size);
    list.clear();
    list.reserve(fields.size() + 2);
    const auto add = [&](std::initializer_list<std::string_view> parts) {
        char* line = lines.data() + lines.size();
        for (const std::string_view part : parts) lines.append(part);
        lines.push_back('\0');
        curl_slist& node = list.emplace_back(curl_slist{.data = line, .next = nullptr});
        if (list.size() > 1) list[list.size() - 2].next = &node;
    };
    for (const auto& [name, value] : fields) add({name, value.empty() ? ";" : ": ", value});
    add({"Expect:"});  // no 100-continue round trip
    if (sendsBody && !request.headers.contains("Content-Type")) add({"Content-Type:"});
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list.data());
}

Result<Response> failed(Transfer& transfer, std::string message, Failure failure) {
    std::optional<Response> reply;
    if (transfer.response.statusCode != 0 && transfer.headersEnded) reply = std::move(transfer.response);
    return fail(LumenoError::underlying(std::move(message), std::move(reply), failure));
}

std::optional<Result<Response>> outcome(Transfer& t, CURLcode code) {
    t.response.url = std::move(t.request.url);  // a redirect followed sets the next one
    long status = 0;
    curl_easy_getinfo(t.easy, CURLINFO_RESPONSE_CODE, &status);
    t.response.statusCode = static_cast<int>(status);
    if (t.abort) return failed(t, std::move(t.abort->message), t.abort->failure);
    if (code != CURLE_OK) {
        std::string message = curl_easy_strerror(code);
        if (t.error[0] != '\0') message += std::string(": ") + t.error;
        return failed(t, std::move(message), failureOf(code));
    }
    // libcurl takes a connection closed inside the header block for a whole reply.
    if (!t.headersEnded) return failed(t, "The connection closed before the reply's headers ended", Failure::other);

    char* location = nullptr;
    curl_easy_getinfo(t.easy, CURLINFO_REDIRECT_URL, &location);
    if (!isRedirect(status) || location == nullptr) return std::move(t.response);
    if (t.redirects == maxRedirects)
        return failed(t, "Too many redirects: more than " + std::to_string(maxRedirects), Failure::tooManyRedirects);
    const std::string target = location;
    auto next = ParsedUrl::parse(target);
    if (auto refused = redirectRefusal(*t.request.parsed, next, target, t.pinnedHost))
        return failed(t, std::move(*refused), Failure::destinationRefused);
    ++t.redirects;
    t.request = redirected(std::move(t.request), status, target);
    t.request.parsed = std::move(next);
    return std::nullopt;
}

}  // namespace lumeno::detail
