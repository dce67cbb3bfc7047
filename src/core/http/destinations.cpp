#include "core/http/destinations.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <mutex>

#include "core/fatal.hpp"

namespace lumeno::detail {
namespace {

bool isLoopback(const std::string& host) {
    if (HttpHeaders::sameName(host, "localhost")) return true;
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return host.size() > 2 && host.front() == '[' && host.back() == ']' &&
           inet_pton(AF_INET6, host.substr(1, host.size() - 2).c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

}  // namespace

std::optional<std::string> refusal(const std::optional<ParsedUrl>& url, std::string_view text,
                                   const std::string& pinnedHost) {
    if (!url) return "Not a valid URL, or one with user-info: " + std::string(text);
    const Origin& destination = url->origin;
    if (destination.scheme == "https") {
        if (destination.host == pinnedHost) return std::nullopt;
        return "TLS to " + destination.host + " refused: only " + pinnedHost + " is trusted";
    }
    if (destination.scheme == "http") {
        if (isLoopback(destination.host)) return std::nullopt;
        return "Plain HTTP to " + destination.host + " refused: only loopback addresses may be reached without TLS";
    }
    return "Unsupported URL scheme: " + destination.scheme;
}

std::optional<std::string> redirectRefusal(const Origin& from, const std::optional<ParsedUrl>& to,
                                           std::string_view toText, const std::string& pinnedHost) {
    if (auto refused = refusal(to, toText, pinnedHost)) return "Redirect refused. " + *refused;
    if (from == to->origin) return std::nullopt;
    const Origin& destination = to->origin;
    return "Redirect to " + destination.scheme + "://" + destination.host + ":" + destination.port +
           " refused: redirects stay on the origin of the request";
}

std::optional<std::string> malformedHeader(const HttpHeaders& headers) {
    const auto badName = [](std::string_view name) {
        return name.empty() || breaksHeaderField(name) ||
               std::ranges::any_of(name, [](char c) { return c == ':' || c == ' ' || c == '\t'; });
    };
    for (const auto& [name, value] : headers.fields())
        if (badName(name) || breaksHeaderField(value))
            return "Header field refused: a name or value holds a character that a header cannot carry";
    return std::nullopt;
}

std::shared_ptr<const std::string> pinnedHostOf(std::string_view baseURL) {
    static std::mutex mutex;
    static std::string lastBase;
    static std::shared_ptr<const std::string> lastHost;
    {
        std::lock_guard lock(mutex);
        if (lastHost && lastBase == baseURL) return lastHost;
    }
    auto origin = originOf(std::string(baseURL));
    if (!origin) fatal("Invalid base URL: no host");
    auto host = std::make_shared<const std::string>(std::move(origin->host));
    std::lock_guard lock(mutex);
    lastBase = baseURL;
    lastHost = host;
    return host;
}

bool isLoopbackAddress(const sockaddr* address, int family) {
    if (family == AF_INET)
        return (ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr) >> 24) == 127;
    if (family == AF_INET6) return IN6_IS_ADDR_LOOPBACK(&reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr);
    return false;
}

}  // namespace lumeno::detail
