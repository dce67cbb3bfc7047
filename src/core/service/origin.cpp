#include "core/service/origin.hpp"

#include <algorithm>

namespace lumeno::detail {

UrlHandle parseURL(const std::string& url) {
    UrlHandle parsed(curl_url());
    if (parsed && curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) parsed.reset();
    return parsed;
}

std::optional<Origin> originOf(CURLU* parsed) {
    const auto part = [&](CURLUPart which, unsigned flags = 0) -> std::optional<std::string> {
        char* text = nullptr;
        if (curl_url_get(parsed, which, &text, flags) != CURLUE_OK) return std::nullopt;
        std::string value(text);
        curl_free(text);
        std::ranges::transform(value, value.begin(), [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
        return value;
    };
    if (part(CURLUPART_USER) || part(CURLUPART_PASSWORD) || part(CURLUPART_OPTIONS)) return std::nullopt;
    auto scheme = part(CURLUPART_SCHEME);
    auto host = part(CURLUPART_HOST);
    auto port = part(CURLUPART_PORT, CURLU_DEFAULT_PORT);
    if (!scheme || !host || host->empty() || !port) return std::nullopt;
    return Origin{std::move(*scheme), std::move(*host), std::move(*port)};
}

std::optional<Origin> originOf(const std::string& url) {
    const auto parsed = parseURL(url);
    if (!parsed) return std::nullopt;
    return originOf(parsed.get());
}

}  // namespace lumeno::detail
