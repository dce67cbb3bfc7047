#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "core/service/origin.hpp"
#include "lumeno/core/response.hpp"

namespace lumeno::detail {

enum class HttpMethod : std::uint8_t { get, post, put, patch, del };

constexpr std::string_view methodName(HttpMethod method) {
    switch (method) {
        case HttpMethod::get: return "GET";
        case HttpMethod::post: return "POST";
        case HttpMethod::put: return "PUT";
        case HttpMethod::patch: return "PATCH";
        case HttpMethod::del: return "DELETE";
    }
    return "GET";
}

/// Whether `text` holds a line break or NUL, which would end a header field early and let the
/// rest pass as fields of its own. A member's token runs to a kilobyte or more: memchr reads it
/// many bytes at a time.
inline bool breaksHeaderField(std::string_view text) {
    return !text.empty() && (std::memchr(text.data(), '\r', text.size()) != nullptr ||
                             std::memchr(text.data(), '\n', text.size()) != nullptr ||
                             std::memchr(text.data(), '\0', text.size()) != nullptr);
}

/// One request, ready to send: the whole URL (query included), headers and body.
struct HttpRequest {
    HttpMethod method = HttpMethod::get;
    std::string url;
    HttpHeaders headers;
    std::string body;  ///< empty: no body
    /// `url` as libcurl parsed it when the request was built, with its origin, so that the
    /// session sends it without parsing it again; none: the session parses `url` (and refuses
    /// it when it has no origin: it carries user-info).
    std::optional<ParsedUrl> parsed{};
};

}  // namespace lumeno::detail
