#include "lumeno/core/error.hpp"

#include "core/json/fields.hpp"
#include "core/json/parse.hpp"

namespace lumeno {

namespace {

constexpr std::string_view kEntryKeys[] = {"field", "message", "code", "type", "status_code"};

bool isBareEntry(const JsonValue& json) {
    if (!json.is_object()) return false;
    for (auto key : kEntryKeys)
        if (json.get_object().contains(key)) return true;
    return false;
}

/// A non-empty list whose elements are all objects, decoded entry by entry; nullopt otherwise.
std::optional<std::vector<LumenoErrorResponse>> entryList(const JsonValue* json) {
    if (json == nullptr || !json->is_array() || json->get_array().empty()) return std::nullopt;
    const Decoder decoder;
    std::vector<LumenoErrorResponse> entries;
    entries.reserve(json->get_array().size());
    for (const auto& element : json->get_array()) {
        if (!element.is_object()) return std::nullopt;
        entries.push_back(LumenoErrorResponse::decode(element, decoder));
    }
    return entries;
}

/// The entries of an error body, by the shapes documented on `LumenoResponseError`.
std::optional<std::vector<LumenoErrorResponse>> entriesOf(const JsonValue& body) {
    if (body.is_array()) return entryList(&body);
    if (!body.is_object()) return std::nullopt;
    const JsonObject& object = body.get_object();
    if (auto list = entryList(object.if_contains("errors"))) return list;
    if (const JsonValue* single = object.if_contains("error"); single != nullptr && single->is_object())
        return std::vector{LumenoErrorResponse::decode(*single, Decoder{})};
    if (isBareEntry(body)) return std::vector{LumenoErrorResponse::decode(body, Decoder{})};
    return std::nullopt;
}

std::string lowercased(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

/// A parsed error body: its entries (at least one) and the body as a map.
struct ErrorBody {
    std::vector<LumenoErrorResponse> entries;
    JsonObject map;
};

std::optional<ErrorBody> parseBody(std::string_view data) {
    boost::system::error_code ec;
    JsonValue body = detail::parseJson(data, ec);
    if (ec) return std::nullopt;
    auto entries = entriesOf(body);
    if (!entries) return std::nullopt;
    return ErrorBody{std::move(*entries), body.is_object() ? std::move(body.get_object()) : JsonObject{}};
}

LumenoResponseError makeResponseError(ErrorBody body, Response response) {
    LumenoErrorResponse first = body.entries.front();
    return {.errors = std::move(body.entries),
            .error = std::move(first),
            .response = std::move(response),
            .resultMap = std::move(body.map)};
}

/// One case of a code vocabulary and its raw value.
template <class Code>
struct CodeName {
    Code code;
    std::string_view raw;
};

using Login = LumenoError::LoginErrorCode;
using ChangePassword = LumenoError::ChangePasswordErrorCode;
using ResetPassword = LumenoError::ResetPasswordErrorCode;
using OTP = LumenoError::ValidateOTP;

constexpr CodeName<Login> kLoginCodes[] = {
    {Login::userLockedOut, "user_locked_out"},
    {Login::authenticationFailed, "authentication_failed"},
    {Login::invalidCredentials, "invalid_credentials"},
    {Login::loginDisabled, "login_disabled"},
};
constexpr CodeName<ChangePassword> kChangePasswordCodes[] = {
    {ChangePassword::invalidCredentials, "invalid_credentials"},
    {ChangePassword::repeatPassword, "repeat_password"},
    {ChangePassword::invalidFail, "invalid_fail"},
    {ChangePassword::passwordInvalid, "password_invalid"},
    {ChangePassword::passwordTooShort, "password_too_short"},
    {ChangePassword::passwordTooSimilar, "password_too_similar"},
};
constexpr CodeName<ResetPassword> kResetPasswordCodes[] = {
    {ResetPassword::repeatPassword, "repeat_password"},
    {ResetPassword::incorrectCode, "incorrect_code"},
    {ResetPassword::passwordTooShort, "password_too_short"},
    {ResetPassword::passwordInvalid, "password_invalid"},
    {ResetPassword::codeExpired, "code_expired"},
};
constexpr CodeName<OTP> kValidateOTPCodes[] = {
    {OTP::invalidOTP, "invalid_otp"},
    {OTP::exhaustedAttempts, "exhausted_attempts"},
};

template <class Code, std::size_t N>
std::string_view rawOf(const CodeName<Code> (&table)[N], Code code) {
    for (const auto& entry : table)
        if (entry.code == code) return entry.raw;
    return {};
}

/// The case of `table` whose raw value is the lowercased code of a `statusCode` failure's first entry.
template <class Code, std::size_t N>
std::optional<Code> matchCode(const LumenoResponseError* error, const CodeName<Code> (&table)[N]) {
    if (error == nullptr) return std::nullopt;
    const std::string code = lowercased(error->error.code.value_or(""));
    for (const auto& entry : table)
        if (entry.raw == code) return entry.code;
    return std::nullopt;
}

}  // namespace

std::optional<LumenoResponseError> LumenoResponseError::parse(const Response& response) {
    auto body = parseBody(response.data);
    if (!body) return std::nullopt;
    return makeResponseError(std::move(*body), response);
}

LumenoError::LumenoError(Kind kind, std::string detail, std::optional<Response> response)
    : kind_(kind), detail_(std::move(detail)) {
    if (response) response_ = std::make_shared<const Response>(std::move(*response));
}

LumenoError LumenoError::imageMapping(Response response) { return {Kind::imageMapping, {}, std::move(response)}; }
LumenoError LumenoError::jsonMapping(Response response) { return {Kind::jsonMapping, {}, std::move(response)}; }
LumenoError LumenoError::stringMapping(Response response) { return {Kind::stringMapping, {}, std::move(response)}; }
LumenoError LumenoError::objectMapping(std::string error, Response response) {
    return {Kind::objectMapping, std::move(error), std::move(response)};
}
LumenoError LumenoError::encodableMapping(std::string error) { return {Kind::encodableMapping, std::move(error)}; }
LumenoError LumenoError::underlying(std::string error, std::optional<Response> response, TransportFailure failure) {
    LumenoError e(Kind::underlying, std::move(error), std::move(response));
    e.transportFailure_ = failure;
    return e;
}
LumenoError LumenoError::requestMapping(std::string text) { return {Kind::requestMapping, std::move(text)}; }
LumenoError LumenoError::parameterEncoding(std::string error) { return {Kind::parameterEncoding, std::move(error)}; }
LumenoError LumenoError::lumenoErrorMapping(Response response) {
    return {Kind::lumenoErrorMapping, {}, std::move(response)};
}
LumenoError LumenoError::invalidToken() { return LumenoError(Kind::invalidToken); }

LumenoError LumenoError::statusCode(LumenoResponseError error) {
    LumenoError e(Kind::statusCode);
    e.responseError_ = std::make_shared<const LumenoResponseError>(std::move(error));
    return e;
}

LumenoError LumenoError::fromStatusCode(Response response) {
    if (auto body = parseBody(response.data))
        return statusCode(makeResponseError(std::move(*body), std::move(response)));
    return lumenoErrorMapping(std::move(response));
}

std::string_view LumenoError::message() const noexcept {
    switch (kind_) {
        case Kind::imageMapping: return "Failed to map data to an Image.";
        case Kind::jsonMapping: return "Failed to map data to JSON.";
        case Kind::stringMapping: return "Failed to map data to a String.";
        case Kind::objectMapping: return "Failed to map data to a Decodable object.";
        case Kind::encodableMapping: return "Failed to encode Encodable object into data.";
        case Kind::statusCode: return "Status code didn't fall within the given range.";
        case Kind::underlying: return "The request failed before a reply arrived.";
        case Kind::requestMapping: return "Failed to map Endpoint to a URLRequest.";
        case Kind::parameterEncoding: return "Failed to encode parameters for URLRequest.";
        case Kind::lumenoErrorMapping: return "Failed to map the reply's error body.";
        case Kind::invalidToken: return "Failed to locate token.";
    }
    return {};
}

std::string LumenoError::description() const {
    std::string text(message());
    if (!detail_.empty()) text += " " + detail_;
    if (const Response* reply = response()) text += " (status " + std::to_string(reply->statusCode) + ")";
    if (responseError_ && responseError_->error.message) text += ": " + *responseError_->error.message;
    return text;
}

std::optional<LumenoError::TransportFailure> LumenoError::transportFailure() const noexcept {
    if (kind_ != Kind::underlying) return std::nullopt;
    return transportFailure_;
}

const Response* LumenoError::response() const noexcept {
    if (responseError_) return &responseError_->response;
    return response_.get();
}

std::optional<LumenoError::LoginErrorCode> LumenoError::loginErrorCode() const {
    return matchCode(responseError(), kLoginCodes);
}

std::optional<LumenoError::ChangePasswordErrorCode> LumenoError::changePasswordErrorCode() const {
    return matchCode(responseError(), kChangePasswordCodes);
}

std::optional<LumenoError::ResetPasswordErrorCode> LumenoError::resetPasswordErrorCode() const {
    return matchCode(responseError(), kResetPasswordCodes);
}

std::optional<LumenoError::ValidateOTP> LumenoError::validateOTPErrorCode() const {
    return matchCode(responseError(), kValidateOTPCodes);
}

std::string_view rawValue(LumenoError::LoginErrorCode code) { return rawOf(kLoginCodes, code); }
std::string_view rawValue(LumenoError::ChangePasswordErrorCode code) { return rawOf(kChangePasswordCodes, code); }
std::string_view rawValue(LumenoError::ResetPasswordErrorCode code) { return rawOf(kResetPasswordCodes, code); }
std::string_view rawValue(LumenoError::ValidateOTP code) { return rawOf(kValidateOTPCodes, code); }

}  // namespace lumeno
