#include "core/service/origin.hpp"

#include <algorithm>
#include <array>
#include <mutex>
#include <utility>
#include <vector>

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
    const auto question = rest.find('?');
    if (question != std::string_view::npos && question + 1 == rest.size()) return false;  // "?" ending the URL: an empty query
    return std::ranges::all_of(rest, [](char c) { return standing[static_cast<unsigned char>(c)]; }) &&
           !hasDotSegment(rest.substr(0, question));
}

/// The last plain origin text read from libcurl: its origin, and libcurl's parse of the text,
/// which later URLs starting alike copy. Calls go to one gateway. The copies their calls let go
/// are kept for the next ones (each sets its path and query anew), so that a call neither copies
/// the parse nor frees a copy.
struct KnownOrigin {
    static constexpr std::size_t keptCopies = 64;

    std::mutex mutex;
    std::string text;
    Origin origin;
    UrlHandle parsed;
    std::uint32_t generation = 0;  ///< which origin `text` is: a copy of an earlier one is not kept
    std::vector<CURLU*> copies;    ///< at most its room, made for `keptCopies`: keeping one never allocates

    /// Never destroyed: copies are let go by transfers the process may still end at exit.
    static KnownOrigin& shared() {
        static auto* known = new KnownOrigin;
        return *known;
    }

    KnownOrigin() { copies.reserve(keptCopies); }

    /// Whether `url` starts with the known text, a plain origin text: it then has its origin.
    /// Called with the lock held.
    [[nodiscard]] bool knows(std::string_view url) const { return !text.empty() && url.starts_with(text); }

    /// A copy of `parsed` for a URL on this origin: a kept one, or a new one. Null when libcurl
    /// has no memory for it. Called with the lock held.
    UrlHandle copy() {
        if (copies.empty()) return UrlHandle(curl_url_dup(parsed.get()), UrlRelease{generation});
        UrlHandle kept(copies.back(), UrlRelease{generation});
        copies.pop_back();
        return kept;
    }

    /// The origin text and its parse change: the copies of the old one go.
    void learn(std::string_view newText, Origin newOrigin, UrlHandle newParsed) {
        text = newText;
        origin = std::move(newOrigin);
        parsed = std::move(newParsed);
        ++generation;
        for (CURLU* kept : std::exchange(copies, {})) curl_url_cleanup(kept);
        copies.reserve(keptCopies);
    }
};

/// `url` as a copy of the known origin's parse with its path and query set, when it starts with
/// that origin's text and libcurl takes the rest as it stands: what libcurl would make of the
/// whole text, at a fifth of the cost. Nullopt for any other URL.
std::optional<ParsedUrl> onKnownOrigin(const std::string& url) {
    std::optional<ParsedUrl> copied;  // built where the caller takes it: an origin is three texts
    std::string_view rest;
    {
        KnownOrigin& known = KnownOrigin::shared();
        std::lock_guard lock(known.mutex);
        if (!known.parsed || !known.knows(url)) return copied;
        rest = std::string_view(url).substr(known.text.size() - 1);  // from the "/" on: it ends the text
        if (!takenAsItStands(rest)) return copied;
        // The origin first: were its copy to throw, no handle would go back under this lock.
        copied.emplace(UrlHandle(), known.origin);
        copied->handle = known.copy();
    }
    CURLU* handle = copied->handle.get();
    const auto question = rest.find('?');
    const bool queried = question != std::string_view::npos;
    const std::string path = queried ? std::string(rest.substr(0, question)) : std::string();
    // A kept copy still holds the last call's path and query: both are set, or the query unset.
    if (!handle || curl_url_set(handle, CURLUPART_PATH, queried ? path.c_str() : rest.data(), 0) != CURLUE_OK ||
        curl_url_set(handle, CURLUPART_QUERY, queried ? rest.data() + question + 1 : nullptr, 0) != CURLUE_OK)
        copied.reset();
    return copied;
}

}  // namespace

std::optional<Origin> originOf(CURLU* parsed, std::string_view text) {
    KnownOrigin& known = KnownOrigin::shared();
    {
        std::lock_guard lock(known.mutex);
        if (known.knows(text)) return known.origin;
    }
    auto origin = originOf(parsed);
    const auto plain = plainOriginText(text);
    if (origin && plain) {
        auto parsedText = parseURL(std::string(*plain));
        std::lock_guard lock(known.mutex);
        known.learn(*plain, *origin, std::move(parsedText));
    }
    return origin;
}

std::optional<Origin> originOf(const std::string& url) {
    const auto parsed = parseURL(url);
    if (!parsed) return std::nullopt;
    return originOf(parsed.get());
}

bool hasDotSegment(std::string_view path) {
    if (path.find('.') == std::string_view::npos) return false;  // most paths: one fast scan
    std::size_t start = 0;  // of the segment being read
    for (std::size_t at = 0; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') continue;
        const std::size_t length = at - start;
        if ((length == 1 || length == 2) && path[start] == '.' && path[at - 1] == '.') return true;
        start = at + 1;
    }
    return false;
}

void UrlRelease::operator()(CURLU* handle) const noexcept {
    if (knownOrigin != 0) {
        KnownOrigin& known = KnownOrigin::shared();
        std::lock_guard lock(known.mutex);
        if (knownOrigin == known.generation && known.copies.size() < known.copies.capacity())
            return known.copies.push_back(handle);
    }
    curl_url_cleanup(handle);
}

std::optional<ParsedUrl> ParsedUrl::parse(const std::string& url) {
    std::optional<ParsedUrl> parsed = onKnownOrigin(url);  // each return gives this one: no copy
    if (parsed) return parsed;
    auto handle = parseURL(url);
    if (!handle) return parsed;
    if (auto origin = originOf(handle.get(), url)) parsed.emplace(std::move(handle), std::move(*origin));
    return parsed;
}

}  // namespace lumeno::detail
