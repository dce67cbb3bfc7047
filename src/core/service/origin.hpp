#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lumeno::detail {

/// Lets go of a URL handle of libcurl's: frees it, or keeps it for a later URL on the known
/// origin it was copied from (see `ParsedUrl::parse`), while that origin is still the known one.
struct UrlRelease {
    std::uint32_t knownOrigin = 0;  ///< which known origin the handle was copied from; 0: none
    void operator()(CURLU* handle) const noexcept;
};
/// A URL as libcurl parsed it, owned; libcurl sends from it as it is (`CURLOPT_CURLU`).
using UrlHandle = std::unique_ptr<CURLU, UrlRelease>;

/// `url` parsed by libcurl; null when libcurl takes it for no URL.
UrlHandle parseURL(const std::string& url);

/// Where a URL leads, as libcurl reads it: scheme and host in lower case, and the port, the
/// scheme's default one when the URL names none.
struct Origin {
    std::string scheme;
    std::string host;
    std::string port;

    bool operator==(const Origin&) const = default;
};

/// The origin of `url`; nullopt when it is no URL with a host, or when it carries user-info
/// (a name or password before the host), which libcurl would send as credentials.
std::optional<Origin> originOf(const std::string& url);
/// The same, of a URL libcurl has parsed.
std::optional<Origin> originOf(CURLU* parsed);
/// The same, of `text` as libcurl parsed it into `parsed`. Calls go to one gateway: the origin
/// of a plain scheme-and-authority text is read from libcurl once and kept.
std::optional<Origin> originOf(CURLU* parsed, std::string_view text);

/// Whether `path` has a segment "." or ".." (between two "/", or at either end), which libcurl
/// folds with the segment before it.
bool hasDotSegment(std::string_view path);

/// A URL parsed by libcurl, with its origin, which the destination rules read.
struct ParsedUrl {
    UrlHandle handle;
    Origin origin;

    /// The URL parsed, or nullopt when it is none, has no host or carries user-info.
    static std::optional<ParsedUrl> parse(const std::string& url);
    [[nodiscard]] bool isTls() const { return origin.scheme == "https"; }
};

}  // namespace lumeno::detail
