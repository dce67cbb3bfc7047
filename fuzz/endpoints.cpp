// Requests built from endpoint cases with hostile values: every case of `service::Cases`, its
// fields filled from the input. A request that is built keeps the gateway's host (a page
// cursor keeps its own URL), keeps each path value one segment of its own (as many segments as
// the case with plain texts, nothing for libcurl to fold), and holds no line break or NUL in
// any header; a refusal is `requestMapping`, or `encodableMapping` for a body JSON cannot carry.

#include <curl/curl.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <boost/pfr.hpp>

#include <algorithm>
#include <bit>
#include <memory>
#include <utility>

#include "check.hpp"
#include "core/json/readers.hpp"
#include "core/service/lumeno_service.hpp"
#include "lumeno/core/lumeno.hpp"

using namespace lumeno;
using detail::LumenoService;
using fuzz::require;

namespace {

constexpr std::string_view kGateway = "https://api.test/v1";

constexpr EnrollmentType lastCase(EnrollmentType) { return EnrollmentType::apple; }
constexpr OTPServiceType lastCase(OTPServiceType) { return OTPServiceType::deleteAccount; }
constexpr BookingStatus lastCase(BookingStatus) { return BookingStatus::awaiting; }

JsonValue jsonValue(FuzzedDataProvider& in, int depth);

JsonObject jsonObject(FuzzedDataProvider& in, int depth) {
    JsonObject object;
    for (auto n = in.ConsumeIntegralInRange(0, 3); n > 0; --n)
        object[in.ConsumeRandomLengthString(16)] = jsonValue(in, depth + 1);
    return object;
}

JsonValue jsonValue(FuzzedDataProvider& in, int depth) {
    switch (in.ConsumeIntegralInRange(0, depth < 2 ? 6 : 4)) {
        case 0: return nullptr;
        case 1: return in.ConsumeBool();
        case 2: return in.ConsumeIntegral<std::int64_t>();
        case 3: return JsonValue(in.ConsumeRandomLengthString(32));
        case 4: return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());  // NaN and infinities too
        case 5: return jsonObject(in, depth);
        default: {
            JsonArray array;
            for (auto n = in.ConsumeIntegralInRange(0, 3); n > 0; --n) array.push_back(jsonValue(in, depth + 1));
            return array;
        }
    }
}

template <class T>
void fill(FuzzedDataProvider& in, T& field) {
    if constexpr (std::is_same_v<T, std::string>) {
        field = in.ConsumeRandomLengthString(48);
    } else if constexpr (std::is_same_v<T, bool>) {
        field = in.ConsumeBool();
    } else if constexpr (std::is_same_v<T, std::int64_t>) {
        field = in.ConsumeIntegral<std::int64_t>();
    } else if constexpr (std::is_enum_v<T>) {
        using Raw = std::underlying_type_t<T>;
        field = static_cast<T>(in.ConsumeIntegralInRange<Raw>(0, static_cast<Raw>(lastCase(T{}))));
    } else if constexpr (std::is_same_v<T, JsonObject>) {
        field = jsonObject(in, 0);
    } else if constexpr (std::is_same_v<T, JsonValue>) {
        field = jsonValue(in, 0);
    } else if constexpr (std::is_same_v<T, std::vector<std::int64_t>>) {
        for (auto n = in.ConsumeIntegralInRange(0, 3); n > 0; --n) field.push_back(in.ConsumeIntegral<std::int64_t>());
    } else if constexpr (lumeno::json::IsOptional<T>::value) {
        if (in.ConsumeBool()) fill(in, field.emplace());
    } else {
        boost::pfr::for_each_field(field, [&](auto& member) { fill(in, member); });
    }
}

/// Every text of a case made "x": the case's path shape, whatever its values hold.
template <class T>
void plainTexts(T& field) {
    if constexpr (std::is_same_v<T, std::string>) {
        field = "x";
    } else if constexpr (lumeno::json::IsOptional<T>::value) {
        if (field) plainTexts(*field);
    } else if constexpr (std::is_aggregate_v<T>) {
        boost::pfr::for_each_field(field, [](auto& member) { plainTexts(member); });
    }
}

/// A case, the same case with every text made "x", and the page cursor it holds when it is one.
struct Made {
    LumenoService service;
    LumenoService plain;
    std::optional<std::string> cursor;
};

template <std::size_t... I>
Made makeCase(FuzzedDataProvider& in, std::index_sequence<I...>) {
    using Make = Made (*)(FuzzedDataProvider&);
    static constexpr Make makers[] = {[](FuzzedDataProvider& in) -> Made {
        detail::service::Cases::At<I> c{};
        fill(in, c);
        auto plain = c;
        plainTexts(plain);
        std::optional<std::string> cursor;
        if constexpr (requires { c.cursor; }) cursor = c.cursor;
        return {std::move(c), std::move(plain), std::move(cursor)};
    }...};
    return makers[in.ConsumeIntegralInRange<std::size_t>(0, sizeof...(I) - 1)](in);
}

/// A part of a URL as libcurl reads it; `asIs` keeps dot segments in the path.
std::optional<std::string> urlPart(const std::string& url, CURLUPart part, bool asIs = false) {
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> handle(curl_url(), curl_url_cleanup);
    if (curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), asIs ? CURLU_PATH_AS_IS : 0) != CURLUE_OK)
        return std::nullopt;
    char* value = nullptr;
    if (curl_url_get(handle.get(), part, &value, 0) != CURLUE_OK) return std::nullopt;
    std::string out(value);
    curl_free(value);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    LumenoSettings settings;
    settings.tenant = std::string(kGateway);
    settings.apiKey = "key";
    settings.tokenType = "JWT";
    settings.usev2Signup = in.ConsumeBool();
    settings.isReCaptchaEnabled = in.ConsumeBool();
    const auto [service, plain, cursor] = makeCase(in, std::make_index_sequence<detail::service::Cases::size>());

    const auto request = detail::endpoint(service, settings);
    if (!request) {
        const auto kind = request.error().kind();
        require(kind == LumenoError::Kind::requestMapping || kind == LumenoError::Kind::encodableMapping,
                "a refused case is requestMapping or encodableMapping");
        return 0;
    }
    for (const auto& [name, value] : request->headers.fields())
        require((name + value).find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos,
                "no header holds a line break or NUL");

    if (cursor) {
        require(request->url.starts_with(*cursor), "a page cursor keeps its own URL");
        return 0;
    }
    require(urlPart(request->url, CURLUPART_HOST) == "api.test" && !urlPart(request->url, CURLUPART_PORT) &&
                urlPart(request->url, CURLUPART_SCHEME) == "https",
            "the host never changes");
    const auto path = urlPart(request->url, CURLUPART_PATH);
    require(path && path == urlPart(request->url, CURLUPART_PATH, true), "nothing in a path value is folded");
    const auto shape = detail::endpoint(plain, settings);
    require(shape.has_value(), "the case with plain texts is a request too");
    const auto shapePath = urlPart(shape->url, CURLUPART_PATH);
    require(shapePath && std::ranges::count(*path, '/') == std::ranges::count(*shapePath, '/'),
            "each path value is one segment of its own");
    require(path->starts_with("/v1/") || path->starts_with("/v2/"), "the path stays under the gateway");
    require(!urlPart(request->url, CURLUPART_FRAGMENT), "no fragment");
    return 0;
}
