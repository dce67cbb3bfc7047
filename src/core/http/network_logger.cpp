#include "core/http/network_logger.hpp"

#include <boost/json/parse.hpp>
#include <boost/json/stream_parser.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <mutex>
#include <ranges>
#include <string>

#include "core/host_code.hpp"
#include "lumeno/core/json/json.hpp"

namespace lumeno {
namespace {

constexpr std::string_view mask = "***";

// A name is secret when one of its words is a secret word, or when its words make a secret
// name: "Password", "confirm_password", "refreshToken", "PIN", "pin_code", "Set-Cookie",
// "X-API-Key", "auth_key", "new_pwd", "secret_key" are; "Recaptcha-SiteKey", "expires_in",
// "country_code" and "pass_type" are not.
constexpr std::array<std::string_view, 10> secretWords = {"authorization", "cookie", "otp",    "passcode", "passwd",
                                                          "password",      "pin",    "pwd",    "secret",   "token"};
constexpr std::array<std::string_view, 8> secretNames = {"api_key",  "auth_code", "auth_key",          "code",
                                                         "pass",     "reset_key", "verification_code", "x_api_key"};

// A body longer than this is logged as its size only.
constexpr std::size_t maxLoggedBody = 64 * 1024;

bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }

/// The lower-case words of a name joined by "_". A word ends at "_", "-", ".", a space, and
/// before a capital that follows a small letter or digit ("refreshToken") or that starts a
/// word after an acronym ("IDToken").
std::string wordsOf(std::string_view name) {
    std::string words;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const char previous = i > 0 ? name[i - 1] : '_';
        const char next = i + 1 < name.size() ? name[i + 1] : '_';
        const bool separator = c == '_' || c == '-' || c == '.' || c == ' ';
        const bool afterSmall = isLower(previous) || (previous >= '0' && previous <= '9');
        const bool capitalStart = isUpper(c) && (afterSmall || (isUpper(previous) && isLower(next)));
        if ((separator || capitalStart) && !words.empty() && words.back() != '_') words += '_';
        if (!separator) words += isUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return words;
}

bool isSecretName(std::string_view name) {
    const std::string words = wordsOf(name);
    if (std::ranges::find(secretNames, words) != secretNames.end()) return true;
    for (const auto word : std::views::split(words, '_'))
        if (std::ranges::find(secretWords, std::string_view(word)) != secretWords.end()) return true;
    return false;
}

/// The index just past the string that opens at `start`, or the end of a text cut short.
std::size_t stringEnd(std::string_view text, std::size_t start) {
    for (std::size_t i = start + 1; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == '"')
            return i + 1;
    }
    return text.size();
}

std::size_t skipSpace(std::string_view text, std::size_t i) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
    return i;
}

/// The index just past the value that starts at `start`: a string, a whole object or list,
/// or a bare word up to the next delimiter; the end of a text cut short.
std::size_t valueEnd(std::string_view text, std::size_t start) {
    if (text[start] == '"') return stringEnd(text, start);
    if (text[start] != '{' && text[start] != '[') {
        const std::size_t end = text.find_first_of(",}] \t\r\n", start);
        return end == std::string_view::npos ? text.size() : end;
    }
    std::size_t depth = 0;
    for (std::size_t i = start; i < text.size();) {
        const char c = text[i];
        if (c == '"') {
            i = stringEnd(text, i);
            continue;
        }
        ++i;
        if (c == '{' || c == '[') ++depth;
        if ((c == '}' || c == ']') && --depth == 0) return i;
    }
    return text.size();
}

/// The text of a member name as written (escapes read), or its raw characters when it does not read.
std::string nameOf(std::string_view quoted) {
    boost::system::error_code error;
    const JsonValue name = boost::json::parse(quoted, error);
    if (!error && name.is_string()) return std::string(name.get_string());
    return std::string(quoted.substr(1, quoted.size() - 2));
}

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

/// Whether the body is JSON, or JSON cut short. The masking reads the names of JSON only: a
/// form, HTML or names in other quotes would pass through it whole.
bool readsAsJson(std::string_view body) {
    boost::json::parse_options options;
    options.max_depth = body.size();  // as deep as the text can go: depth alone makes no body foreign
    options.allow_invalid_utf8 = true;
    boost::json::stream_parser parser({}, options);
    boost::system::error_code error;
    parser.write(body.data(), body.size(), error);
    return !error;
}

/// A body the log does not show: its size and, when given, its content type.
std::string summary(std::string_view body, std::string_view contentType) {
    // Built by appending: `"(" + std::string` raises GCC 12's false -Wrestrict at -O3.
    std::string text = "(";
    text.append(std::to_string(body.size())).append(" bytes");
    if (!contentType.empty()) text.append(", ").append(contentType);
    return text.append(")");
}

void appendHeadersAndBody(std::string& entry, const HttpHeaders& headers, std::string_view body) {
    for (const auto& [name, value] : headers.fields()) {
        entry.append("\n").append(name).append(": ").append(isSecretName(name) ? mask : std::string_view(value));
    }
    if (!body.empty())
        entry.append("\n\n").append(detail::maskedBody(body, headers.find("Content-Type").value_or("")));
}

}  // namespace

void setNetworkLogSink(NetworkLogSink sink) {
    std::lock_guard lock(Log::shared().mutex);
    Log::shared().sink = std::move(sink);
}

namespace detail {

std::string maskedBody(std::string_view body, std::string_view contentType) {
    if (body.size() > maxLoggedBody || !readsAsJson(body)) return summary(body, contentType);
    // A lexical pass over "name": value pairs, so that a body cut short is masked as well, and
    // the rest stays as it came.
    std::string out;
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size();) {
        if (body[i] != '"') {
            out += body[i++];
            continue;
        }
        const std::size_t nameEnd = stringEnd(body, i);
        const std::size_t colon = skipSpace(body, nameEnd);
        const bool secret =
            colon < body.size() && body[colon] == ':' && isSecretName(nameOf(body.substr(i, nameEnd - i)));
        const std::size_t valueStart = secret ? skipSpace(body, colon + 1) : nameEnd;
        out.append(body.substr(i, valueStart - i));
        i = valueStart;
        if (secret && i < body.size()) {
            out.append("\"").append(mask).append("\"");
            i = valueEnd(body, i);
        }
    }
    return out;
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
