#include "api/response_decoding.hpp"

#include "core/json/parse.hpp"

namespace lumeno::detail {

Result<const Response*> filterSuccessfulStatusCodes(const ProviderResult& outcome) {
    if (!outcome) return fail(outcome.error());
    if (outcome->statusCode < 200 || outcome->statusCode > 299) return fail(LumenoError::fromStatusCode(*outcome));
    return &*outcome;
}

JsonValue mapJSON(const Response& response, std::optional<std::string_view> keyPath, boost::json::storage_ptr storage) {
    if (response.data.empty()) throw DecodingError("The reply has no body.");
    boost::system::error_code ec;
    JsonValue json = parseJson(response.data, ec, std::move(storage));
    if (ec) throw DecodingError("The reply is not valid JSON: " + ec.message() + ".");
    if (!keyPath) return json;
    JsonValue* value = json.is_object() ? json.get_object().if_contains(*keyPath) : nullptr;
    if (value == nullptr) throw DecodingError("The reply has no value under \"" + std::string(*keyPath) + "\".");
    return std::move(*value);
}

Result<void> mapEmptyResponseResult(const ProviderResult& outcome) {
    auto reply = filterSuccessfulStatusCodes(outcome);
    if (!reply) return fail(std::move(reply.error()));
    return {};
}

}  // namespace lumeno::detail
