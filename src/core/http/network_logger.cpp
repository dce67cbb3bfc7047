#include "core/http/network_logger.hpp"

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <mutex>

#include "core/host_code.hpp"
#include "lumeno/core/json/json.hpp"

namespace lumeno {
namespace {

constexpr std::string_view mask = "***";
constexpr std::array<std::string_view, 3> secretHeaders = {"Authorization", "x-api-key", "Recaptcha-Token"};
constexpr std::array<std::string_view, 9> secretMembers = {
    "password", "current_password", "new_password", "otp", "reset_key", "access_token", "id_token", "token", "code"};

struct Log {
    std::mutex mutex;
    NetworkLogSink sink;

    static Log& shared() {
        static Log log;
        return log;
    }
    void write(std::string_view entry) {
        static std::atomic_flag reported;
        std::lock_guard lock(mutex);
        if (sink)
            detail::callHost(reported, "the network-log sink", [&] { sink(entry); });
        else
            std::fprintf(stderr, "%.*s\n", static_cast<int>(entry.size()), entry.data());
    }
};

void maskMembers(JsonValue& json) {
    if (auto* object = json.if_object()) {
        for (auto& [key, value] : *object) {
            if (std::ranges::find(secretMembers, std::string_view(key)) != secretMembers.end())
                value = mask;
            else
                maskMembers(value);
        }
    } else if (auto* array = json.if_array()) {
        for (auto& element : *array) maskMembers(element);
    }
}

void appendHeadersAndBody(std::string& entry, const HttpHeaders& headers, std::string_view body) {
    for (const auto& [name, value] : headers.fields()) {
        const bool secret = std::ranges::any_of(secretHeaders, [&](auto s) { return HttpHeaders::sameName(name, s); });
        entry.append("\n").append(name).append(": ").append(secret ? mask : std::string_view(value));
    }
    if (!body.empty()) entry.append("\n\n").append(detail::maskedBody(body));
}

}  // namespace

void setNetworkLogSink(NetworkLogSink sink) {
    std::lock_guard lock(Log::shared().mutex);
    Log::shared().sink = std::move(sink);
}

namespace detail {

std::string maskedBody(std::string_view body) {
    boost::system::error_code error;
    JsonValue json = boost::json::parse(body, error);
    if (error) return std::string(body);
    maskMembers(json);
    return boost::json::serialize(json);
}

void logRequest(const HttpRequest& request) {
    std::string entry = "--> " + std::string(methodName(request.method)) + " " + request.url;
    appendHeadersAndBody(entry, request.headers, request.body);
    Log::shared().write(entry);
}

void logOutcome(HttpMethod method, std::string_view url, const Result<Response>& outcome) {
    std::string entry = "<-- ";
    if (outcome) {
        entry.append(std::to_string(outcome->statusCode)).append(" ");
    } else {
        entry.append("FAILED ");
    }
    entry.append(methodName(method)).append(" ").append(url);
    if (outcome)
        appendHeadersAndBody(entry, outcome->headers, outcome->data);
    else
        entry.append("\n").append(outcome.error().description());
    Log::shared().write(entry);
}

}  // namespace detail
}  // namespace lumeno
