#pragma once

// URL building blocks of the endpoint rule: path components, URL queries, URL checks.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/service/http_request.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/core/result.hpp"

namespace lumeno::detail::service {

/// Adds `path` to `url` with exactly one "/" between them; nothing when `path` is empty.
void appendPath(std::string& url, std::string_view path);

/// Percent-encodes every byte a URL path cannot hold ("?", "#", "%", spaces, controls,
/// non-ASCII, ...); "/" and the other path characters stay.
std::string escapePath(std::string_view path);

/// A URL path as it goes out, built from text of our own and from caller values. Text of our
/// own (a literal, a configured endpoint) is escaped as by `escapePath`, its "/" separating
/// segments; a value is escaped as one segment, "/" included, so that it names one thing.
/// Each piece is escaped once, as it is added: nothing is escaped twice.
class UrlPath {
public:
    UrlPath() = default;
    UrlPath(const char* ours) : text_(escapePath(ours)) {}
    UrlPath(const std::string& ours) : text_(escapePath(ours)) {}

    /// Adds text of our own, escaped as a path ("/" separating segments).
    void addOurs(std::string_view ours);
    /// Adds a path built the same way.
    void add(const UrlPath& path);
    /// Adds a value as one segment; an empty value would drop a segment, so it marks the path.
    void addValue(std::string_view value);
    void addValue(std::int64_t value);

    /// The escaped path.
    [[nodiscard]] const std::string& text() const noexcept { return text_; }
    /// Whether an empty value went in: such a path names another resource than it should.
    [[nodiscard]] bool hasEmptyValue() const noexcept { return emptyValue_; }

private:
    std::string text_;
    bool emptyValue_ = false;
};

/// The parameters as a URL query, the way the platform's default URL encoding writes them:
/// keys in ascending order (nested maps too), flags as 1 and 0, numbers in plain decimal,
/// lists as `key[]=v`, maps as `key[sub]=v`; keys and values percent-escaped as query
/// components ("?" and "/" kept, space as %20). A null value is left out. Empty: no query.
/// A number that is not finite has no decimal text: `requestMapping`.
Result<std::string> urlQuery(const JsonObject& parameters);

/// The gateway with each whole path segment "v1" turned into "v2"; the host and longer
/// segments ("v10", "v1beta") stay as they are.
std::string v2Gateway(std::string_view gateway);

/// Parses the request's URL as libcurl's URL parser reads it, into `parsed` when it has an origin;
/// false when libcurl takes it for no URL with a scheme and a host.
bool parseURLOf(HttpRequest& request);

}  // namespace lumeno::detail::service
