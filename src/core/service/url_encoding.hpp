#pragma once

// URL building blocks of the endpoint rule: path components, URL queries, URL checks.

#include <string>
#include <string_view>

#include "lumeno/core/json/json.hpp"

namespace lumeno::detail::service {

/// `base` and `path` joined with exactly one "/"; `base` itself when `path` is empty.
std::string appendPath(std::string_view base, std::string_view path);

/// Percent-encodes every byte a URL path cannot hold ("?", "#", "%", spaces, controls,
/// non-ASCII, ...); "/" and the other path characters stay.
std::string escapePath(std::string_view path);

/// The parameters as a URL query, the way the platform's default URL encoding writes them:
/// keys in ascending order (nested maps too), flags as 1 and 0, numbers in plain decimal,
/// lists as `key[]=v`, maps as `key[sub]=v`; keys and values percent-escaped as query
/// components ("?" and "/" kept, space as %20). A null value is left out. Empty: no query.
std::string urlQuery(const JsonObject& parameters);

/// The gateway with each whole path segment "v1" turned into "v2"; the host and longer
/// segments ("v10", "v1beta") stay as they are.
std::string v2Gateway(std::string_view gateway);

/// Whether libcurl's URL parser accepts the text as a URL with a scheme and a host.
bool isValidURL(const std::string& url);

}  // namespace lumeno::detail::service
