#pragma once

#include <string>
#include <string_view>

#include "core/service/http_request.hpp"
#include "lumeno/core/network_log.hpp"
#include "lumeno/core/result.hpp"

namespace lumeno::detail {

/// Logs a request as it leaves: method, URL, headers, body.
void logRequest(const HttpRequest& request);

/// Logs the outcome of a request: status, headers and body of the reply, or the failure.
void logOutcome(HttpMethod method, std::string_view url, const Result<Response>& outcome);

/// The body with the values of secret members replaced by "***" at any depth; a body that is
/// no JSON comes back unchanged.
std::string maskedBody(std::string_view body);

}  // namespace lumeno::detail
