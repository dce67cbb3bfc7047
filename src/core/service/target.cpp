#include "core/service/target.hpp"

#include "core/service/origin.hpp"
#include "core/service/url_encoding.hpp"

namespace lumeno::detail::service {

namespace {

std::string urlOf(const Target& target, const LumenoSettings& settings) {
    std::string url;
    if (target.cursor) {
        url = *target.cursor;
    } else {
        const std::string v2 = target.signup && settings.usev2Signup ? v2Gateway(settings.tenant) : std::string();
        const std::string_view gateway = v2.empty() ? std::string_view(settings.tenant) : v2;
        url.reserve(gateway.size() + target.segment.size() + target.path.text().size() + target.query->size() + 3);
        url = gateway;
        appendPath(url, target.segment);
        appendPath(url, target.path.text());
    }
    if (!target.query->empty()) url.append(1, '?').append(*target.query);
    return url;
}

HttpHeaders headersOf(const Target& target, const LumenoSettings& settings) {
    HttpHeaders headers;
    headers.add("x-api-key", settings.apiKey);
    if (target.token && !target.token->empty()) {
        std::string authorization;  // a member's token runs to a kilobyte or more: copied once
        authorization.reserve(settings.tokenType.size() + 1 + target.token->size());
        authorization.append(settings.tokenType).append(1, ' ').append(*target.token);
        headers.add("Authorization", std::move(authorization));
    }
    if (settings.isReCaptchaEnabled && !target.reCaptchaToken.empty() && !target.reCaptchaSiteKey.empty()) {
        headers.add("Recaptcha-Token", std::string(target.reCaptchaToken));
        headers.add("Recaptcha-SiteKey", std::string(target.reCaptchaSiteKey));
    }
    if (!target.body->empty()) headers.add("Content-Type", "application/json");
    return headers;
}

const HttpHeaders::Field* unsafeField(const HttpHeaders& headers) {
    for (const auto& field : headers.fields())
        if (breaksHeaderField(field.second)) return &field;
    return nullptr;
}

}  // namespace

Result<HttpRequest> makeRequest(Target target, const LumenoSettings& settings) {
    if (!target.body) return fail(std::move(target.body.error()));
    if (!target.query) return fail(std::move(target.query.error()));
    const auto& path = target.path.text();
    if (target.path.hasEmptyValue()) return fail(LumenoError::requestMapping("empty path value: " + path));
    // libcurl would fold such a segment: a path value such as ".." would reach another endpoint
    // with the member's token.
    if (hasDotSegment(path)) return fail(LumenoError::requestMapping("path segment \".\" or \"..\": " + path));
    HttpRequest request{.method = target.method, .url = urlOf(target, settings),
                        .headers = headersOf(target, settings), .body = std::move(*target.body)};
    if (!parseURLOf(request)) return fail(LumenoError::requestMapping(request.url));
    // A cursor comes from a reply: it is followed, with the member's token, only on the gateway's origin.
    if (target.cursor && (!request.parsed || request.parsed->origin != originOf(settings.tenant)))
        return fail(LumenoError::requestMapping("cursor outside the gateway's origin: " + request.url));
    if (const auto* field = unsafeField(request.headers))
        return fail(LumenoError::requestMapping("header value with a line break or NUL byte: " + field->first));
    return request;
}

}  // namespace lumeno::detail::service
