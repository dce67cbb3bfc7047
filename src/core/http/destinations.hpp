#pragma once

// Where the session may send: TLS only to the pinned host, plain HTTP only to loopback, redirects
// only along the same rules and on their host. Every URL is parsed once, into the handle the
// transfer then hands to libcurl.

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/service/http_request.hpp"
#include "core/service/origin.hpp"

namespace lumeno::detail {

/// Why the session will not send to `url`, or nullopt when it may.
std::optional<std::string> refusal(const std::optional<ParsedUrl>& url, std::string_view text,
                                   const std::string& pinnedHost);

/// Why the session will not follow a redirect to `to` from a request to `from`: it goes where no
/// request may go, or leaves the origin (scheme, host and port) of the request it answers, which
/// is the gateway's: the member's token goes nowhere else.
std::optional<std::string> redirectRefusal(const Origin& from, const std::optional<ParsedUrl>& to,
                                           std::string_view toText, const std::string& pinnedHost);

/// Why the headers cannot go out as they are: a field that would split or corrupt the request.
std::optional<std::string> malformedHeader(const HttpHeaders& headers);

/// The host of the configured base URL, computed once per base URL value and shared by the
/// transfers that keep it; a base URL without one is a configuration fault that stops the process.
std::shared_ptr<const std::string> pinnedHostOf(std::string_view baseURL);

/// Whether an address is in 127.0.0.0/8 or is ::1 (the tests' connect guard).
bool isLoopbackAddress(const struct sockaddr* address, int family);

}  // namespace lumeno::detail
