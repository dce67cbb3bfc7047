#include "core/service/target.hpp"

#include "core/service/origin.hpp"
#include "core/service/url_encoding.hpp"

namespace lumeno::detail::service {

namespace {

/// Writes the target's whole URL into `url`, empty before.
void writeUrl(std::string& url, const Target& target, const LumenoSettings& settings) {
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
}

/// Adds the target's header fields to `headers`, empty before.
void addHeaders(HttpHeaders& headers, const Target& target, const LumenoSettings& settings) {
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
}

const HttpHeaders::Field* unsafeField(const HttpHeaders& headers) {
    for (const auto& field : headers.fields())
        if (breaksHeaderField(field.second)) return &field;
    return nullptr;
}

/// The request of a target whose values were all accepted. Every return gives the one result,
/// built in place where the caller takes it: the request is never moved.
Result<HttpRequest> requestOf(Target& target, const LumenoSettings& settings) {
    Result<HttpRequest> result(std::in_place);
    HttpRequest& request = *result;
    request.method = target.method;
    writeUrl(request.url, target, settings);
    addHeaders(request.headers, target, settings);
    request.body = std::move(*target.body);
    if (!parseURLOf(request)) result = fail(LumenoError::requestMapping(request.url));
    // A cursor comes from a reply: it is followed, with the member's token, only on the gateway's origin.
    else if (target.cursor && (!request.parsed || request.parsed->origin != originOf(settings.tenant)))
        result = fail(LumenoError::requestMapping("cursor outside the gateway's origin: " + request.url));
    else if (const auto* field = unsafeField(request.headers))
        result = fail(LumenoError::requestMapping("header value with a line break or NUL byte: " + field->first));
    return result;
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
    return requestOf(target, settings);
}

}  // namespace lumeno::detail::service
