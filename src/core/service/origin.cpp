#include "core/service/origin.hpp"

#include <algorithm>
#include <array>
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

/// Whether libcurl takes `rest`, the path and query after a plain origin text, as it stands:
/// only characters a path or query carries unescaped, no fragment, no segment "." or ".."
/// (libcurl folds those) and no empty query. Such a rest can be set on a copy of the origin's
/// parse instead of parsing the whole URL again. Escapes are left to the whole parse: libcurl
/// writes those it is given as a part in lower case.
bool takenAsItStands(std::string_view rest) {
    static constexpr auto standing = [] {
        std::array<bool, 256> table{};
        for (int c = 0; c < 256; ++c)
            table[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       std::string_view("-._~!$&'()*+,;=:@/?").find(static_cast<char>(c)) != std::string_view::npos;
        return table;
    }();
    const auto path = rest.substr(0, rest.find('?'));
    if (path.size() + 1 == rest.size()) return false;  // "?" ending the URL: an empty query
    if (!std::ranges::all_of(rest, [](char c) { return standing[static_cast<unsigned char>(c)]; })) return false;
    for (std::size_t at = 0; at != std::string_view::npos; at = path.find('/', at + 1)) {
        const auto segment = path.substr(at + 1, path.find('/', at + 1) - at - 1);
        if (segment == "." || segment == "..") return false;
    }
    return true;
}

/// The last plain origin text read from libcurl: its origin, and libcurl's parse of the text,
/// which later URLs starting alike copy. Calls go to one gateway.
struct KnownOrigin {
    std::mutex mutex;
    std::string text;
    Origin origin;
    UrlHandle parsed;

    static KnownOrigin& shared() {
        static KnownOrigin known;
        return known;
    }
};

/// `url` as a copy of the known origin's parse with its path and query set, when it starts with
/// that origin's text and libcurl takes the rest as it stands: what libcurl would make of the
/// whole text, at a fifth of the cost. Nullopt for any other URL.
std::optional<ParsedUrl> onKnownOrigin(const std::string& url) {
    const auto plain = plainOriginText(url);
    if (!plain) return std::nullopt;
    const auto rest = std::string_view(url).substr(plain->size() - 1);  // from the "/" on: it ends the text
    if (!takenAsItStands(rest)) return std::nullopt;
    KnownOrigin& known = KnownOrigin::shared();
    std::unique_lock lock(known.mutex);
    if (known.text != *plain || !known.parsed) return std::nullopt;
    UrlHandle handle(curl_url_dup(known.parsed.get()));
    Origin origin = known.origin;
    lock.unlock();
    const auto question = rest.find('?');
    const bool queried = question != std::string_view::npos;
    const std::string path = queried ? std::string(rest.substr(0, question)) : std::string();
    if (!handle || curl_url_set(handle.get(), CURLUPART_PATH, queried ? path.c_str() : rest.data(), 0) != CURLUE_OK ||
        (queried && curl_url_set(handle.get(), CURLUPART_QUERY, rest.data() + question + 1, 0) != CURLUE_OK))
        return std::nullopt;
    return ParsedUrl{std::move(handle), std::move(origin)};
}

}  // namespace

std::optional<Origin> originOf(CURLU* parsed, std::string_view text) {
    KnownOrigin& known = KnownOrigin::shared();
    const auto plain = plainOriginText(text);
    if (plain) {
        std::lock_guard lock(known.mutex);
        if (known.text == *plain) return known.origin;
    }
    auto origin = originOf(parsed);
    if (origin && plain) {
        auto parsedText = parseURL(std::string(*plain));
        std::lock_guard lock(known.mutex);
        known.text = *plain;
        known.origin = *origin;
        known.parsed = std::move(parsedText);
    }
    return origin;
}

std::optional<Origin> originOf(const std::string& url) {
    const auto parsed = parseURL(url);
    if (!parsed) return std::nullopt;
    return originOf(parsed.get());
}

std::optional<ParsedUrl> ParsedUrl::parse(const std::string& url) {
    if (auto copied = onKnownOrigin(url)) return copied;
    auto handle = parseURL(url);
    if (!handle) return std::nullopt;
    auto origin = originOf(handle.get(), url);
    if (!origin) return std::nullopt;
    return ParsedUrl{std::move(handle), std::move(*origin)};
}

}  // namespace lumeno::detail
