#include "core/service/origin.hpp"

#include <algorithm>
#include <mutex>

namespace lumeno::detail {

UrlHandle parseURL(const std::string& url) {
    UrlHandle parsed(curl_url());
    if (parsed && curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) parsed.reset();
    return parsed;
}

std::optional<Origin> originOf(CURLU* parsed) {
    const auto part = [&](CURLUPart which, unsigned flags = 0) -> std::optional<std::string> {
        char* text = nullptr;
        if (curl_url_get(parsed, which, &text, flags) != CURLUE_OK) return std::nullopt;
        std::string value(text);
        curl_free(text);
        std::ranges::transform(value, value.begin(), [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
        return value;
    };
    if (part(CURLUPART_USER) || part(CURLUPART_PASSWORD) || part(CURLUPART_OPTIONS)) return std::nullopt;
    auto scheme = part(CURLUPART_SCHEME);
    auto host = part(CURLUPART_HOST);
    auto port = part(CURLUPART_PORT, CURLU_DEFAULT_PORT);
    if (!scheme || !host || host->empty() || !port) return std::nullopt;
    return Origin{std::move(*scheme), std::move(*host), std::move(*port)};
}

namespace {

/// The start of `url` that alone decides its origin, when it is plain: a scheme of lower-case
/// letters, "://", a host and port of letters, digits, "." and "-" (no user-info, escapes or
/// brackets), and the "/" that ends them. URLs that start alike have the same origin.
std::optional<std::string_view> plainOriginText(std::string_view url) {
    const auto separator = url.find("://");
    if (separator == std::string_view::npos || separator == 0) return std::nullopt;
    const auto slash = url.find('/', separator + 3);
    if (slash == std::string_view::npos || slash == separator + 3) return std::nullopt;
    const auto scheme = url.substr(0, separator), authority = url.substr(separator + 3, slash - separator - 3);
    if (!std::ranges::all_of(scheme, [](char c) { return c >= 'a' && c <= 'z'; }) ||
        !std::ranges::all_of(authority, [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                   c == '-' || c == ':';
        }))
        return std::nullopt;
    return url.substr(0, slash + 1);
}

}  // namespace

std::optional<Origin> originOf(CURLU* parsed, std::string_view text) {
    static std::mutex mutex;
    static std::string lastText;
    static Origin lastOrigin;
    const auto plain = plainOriginText(text);
    if (plain) {
        std::lock_guard lock(mutex);
        if (lastText == *plain) return lastOrigin;
    }
    auto origin = originOf(parsed);
    if (origin && plain) {
        std::lock_guard lock(mutex);
        lastText = *plain;
        lastOrigin = *origin;
    }
    return origin;
}

std::optional<Origin> originOf(const std::string& url) {
    const auto parsed = parseURL(url);
    if (!parsed) return std::nullopt;
    return originOf(parsed.get());
}

std::optional<ParsedUrl> ParsedUrl::parse(const std::string& url) {
    auto handle = parseURL(url);
    if (!handle) return std::nullopt;
    auto origin = originOf(handle.get(), url);
    if (!origin) return std::nullopt;
    return ParsedUrl{std::move(handle), std::move(*origin)};
}

}  // namespace lumeno::detail
