#pragma once

#include <curl/curl.h>

#include <optional>
#include <string>

namespace lumeno::detail {

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

/// Whether both are URLs of one origin.
bool sameOrigin(const std::string& url, const std::string& other);

}  // namespace lumeno::detail
