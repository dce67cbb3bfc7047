#pragma once

#include <string>
#include <string_view>

#include "core/service/http_request.hpp"
#include "lumeno/core/network_log.hpp"
#include "lumeno/core/result.hpp"

namespace lumeno::detail {

// Logging is switched on to debug: `gnu::cold` keeps its code out of the way of calls without it.

/// Logs a request as it leaves: method, URL, headers, body.
[[gnu::cold]] void logRequest(const HttpRequest& request);

/// Logs the outcome of a request: status, headers and body of the reply, or the failure.
[[gnu::cold]] void logOutcome(HttpMethod method, std::string_view url, const Result<Response>& outcome);

/// The body with the value of every secret member ("name": value, at any depth, in JSON or in
/// JSON cut short) replaced by "***", the rest unchanged. A body over 64 KiB, or one that is no
/// JSON (a form, HTML, names in single quotes), becomes its size and `contentType`,
/// "(70000 bytes, text/html)", or its size alone without one. Header and member names are
/// secret by their words, whatever their case ("Password", "confirm_password", "refreshToken",
/// "Set-Cookie").
std::string maskedBody(std::string_view body, std::string_view contentType);

}  // namespace lumeno::detail
