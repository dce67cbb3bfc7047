#include "core/service/url_encoding.hpp"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace lumeno::detail::service {

namespace {

constexpr bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

/// The bytes a part of a URL carries as they are: the unreserved characters and `others`.
using Allowed = std::array<bool, 256>;
constexpr Allowed unreservedAnd(std::string_view others) {
    Allowed allowed{};
    for (int c = 0; c < 256; ++c) allowed[c] = isUnreserved(static_cast<unsigned char>(c));
    for (const char c : others) allowed[static_cast<unsigned char>(c)] = true;
    return allowed;
}

/// RFC 3986 segment characters: unreserved, sub-delimiters, ":" and "@".
constexpr Allowed segmentAllows = unreservedAnd("!$&'()*+,;=:@");
/// Path characters: the segment characters and "/".
constexpr Allowed pathAllows = [] {
    Allowed allowed = segmentAllows;
    allowed['/'] = true;
    return allowed;
}();
/// Query components keep only the unreserved characters, "/" and "?".
constexpr Allowed queryAllows = unreservedAnd("/?");

/// Appends `text` with every byte that `allowed` refuses escaped; the runs between those are
/// appended whole.
void percentEncode(std::string& out, std::string_view text, const Allowed& allowed) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::size_t run = 0;  // the start of the bytes not yet appended
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (allowed[c]) continue;
        const char escaped[] = {'%', hex[c >> 4], hex[c & 0x0F]};
        out.append(text.substr(run, at - run)).append(escaped, sizeof escaped);
        run = at + 1;
    }
    out.append(text.substr(run));
}

std::string percentEncoded(std::string_view text, const Allowed& allowed) {
    std::string out;
    percentEncode(out, text, allowed);
    return out;
}

template <class Number>
std::string decimal(Number number) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, number).ptr;
    return {buffer, end};
}

/// The text of a scalar query value: flags as 1 and 0, numbers in plain decimal.
std::string scalarText(const JsonValue& value) {
    switch (value.kind()) {
        case boost::json::kind::bool_: return value.get_bool() ? "1" : "0";
        case boost::json::kind::int64: return decimal(value.get_int64());
        case boost::json::kind::uint64: return decimal(value.get_uint64());
        case boost::json::kind::double_: return decimal(value.get_double());
        case boost::json::kind::string: return std::string(value.get_string());
        default: return {};
    }
}

std::vector<const boost::json::key_value_pair*> sortedMembers(const JsonObject& object) {
    std::vector<const boost::json::key_value_pair*> members;
    members.reserve(object.size());
    for (const auto& member : object) members.push_back(&member);
    std::ranges::sort(members, {}, [](const auto* member) { return member->key(); });
    return members;
}

/// Appends the components of one parameter; the key of a number that is not finite, which has
/// no decimal text, stops it.
std::optional<std::string> appendComponents(std::string& query, const std::string& key, const JsonValue& value) {
    switch (value.kind()) {
        case boost::json::kind::null: return std::nullopt;
        case boost::json::kind::object:
            for (const auto* member : sortedMembers(value.get_object())) {
                const auto memberKey = key + '[' + std::string(member->key()) + ']';
                if (auto refused = appendComponents(query, memberKey, member->value())) return refused;
            }
            return std::nullopt;
        case boost::json::kind::array:
            for (const auto& element : value.get_array())
                if (auto refused = appendComponents(query, key + "[]", element)) return refused;
            return std::nullopt;
        default:
            if (value.is_double() && !std::isfinite(value.get_double())) return key;
            if (!query.empty()) query += '&';
            percentEncode(query, key, queryAllows);
            query += '=';
            percentEncode(query, scalarText(value), queryAllows);
            return std::nullopt;
    }
}

}  // namespace

void appendPath(std::string& url, std::string_view path) {
    if (path.empty()) return;
    const bool urlSlash = url.ends_with('/');
    const bool pathSlash = path.starts_with('/');
    if (urlSlash && pathSlash) url.pop_back();
    else if (!urlSlash && !pathSlash) url += '/';
    url += path;
}

std::string escapePath(std::string_view path) { return percentEncoded(path, pathAllows); }

void UrlPath::addOurs(std::string_view ours) { percentEncode(text_, ours, pathAllows); }

void UrlPath::add(const UrlPath& path) {
    text_ += path.text_;
    emptyValue_ = emptyValue_ || path.emptyValue_;
}

void UrlPath::addValue(std::string_view value) {
    emptyValue_ = emptyValue_ || value.empty();
    percentEncode(text_, value, segmentAllows);
}

void UrlPath::addValue(std::int64_t value) { text_ += decimal(value); }

Result<std::string> urlQuery(const JsonObject& parameters) {
    std::string query;
    for (const auto* member : sortedMembers(parameters))
        if (const auto refused = appendComponents(query, std::string(member->key()), member->value()))
            return fail(LumenoError::requestMapping("query parameter that is not a finite number: " + *refused));
    return query;
}

std::string v2Gateway(std::string_view gateway) {
    std::string url(gateway);
    const auto scheme = url.find("://");
    const auto end = std::min(url.find_first_of("?#"), url.size());
    for (auto slash = url.find('/', scheme == std::string::npos ? 0 : scheme + 3); slash < end;
         slash = url.find('/', slash + 1)) {
        const auto next = slash + 3;
        if (url.compare(slash, 3, "/v1") == 0 && (next == end || url[next] == '/')) url[slash + 2] = '2';
    }
    return url;
}

bool parseURLOf(HttpRequest& request) {
    if (request.url.find('\0') != std::string::npos) return false;
    if ((request.parsed = ParsedUrl::parse(request.url))) return true;
    const auto handle = parseURL(request.url);  // no origin: user-info, or no host
    if (!handle) return false;
    char* host = nullptr;
    const bool hasHost = curl_url_get(handle.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK && host && *host;
    curl_free(host);
    return hasHost;
}

}  // namespace lumeno::detail::service
