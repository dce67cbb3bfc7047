#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/service/http_request.hpp"
#include "core/service/url_encoding.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/result.hpp"

namespace lumeno::detail::service {

/// What one endpoint case sends; `makeRequest` adds the settings and builds the request, or
/// passes on the refusal a caller's value earned while the target was built.
struct Target {
    HttpMethod method = HttpMethod::get;
    std::string_view segment{};  ///< after the gateway: "/members", "/sponsors", ... or nothing
    UrlPath path{};              ///< appended as a path component
    Result<std::string> query{};  ///< the encoded URL query; empty: none
    Result<std::string> body{};   ///< JSON text; empty: no body
    std::optional<std::string_view> token{};     ///< the member's token, for the cases that carry it
    std::optional<std::string_view> cursor{};    ///< a whole URL standing for gateway, segment and path
    std::string_view reCaptchaToken{};
    std::string_view reCaptchaSiteKey{};
    bool signup = false;  ///< normal enrolment: the "/v2" gateway when v2 sign-up is on
};

/// The whole request of a target under `settings`.
Result<HttpRequest> makeRequest(Target target, const LumenoSettings& settings);

}  // namespace lumeno::detail::service
