#include "api/response_decoding.hpp"

#include "core/json/parse.hpp"

namespace lumeno::detail {

Result<const Response*> filterSuccessfulStatusCodes(const ProviderResult& outcome) {
    if (!outcome) return fail(outcome.error());
    if (outcome->statusCode < 200 || outcome->statusCode > 299) return fail(LumenoError::fromStatusCode(*outcome));
    return &*outcome;
}

namespace {

/// The body parsed by `parse`; throws `DecodingError` on an empty body or one that is no JSON.
template <class Parse>
JsonValue parseBody(const Response& response, const Parse& parse) {
    if (response.data.empty()) throw DecodingError("The reply has no body.");
    boost::system::error_code ec;
    JsonValue json = parse(ec);
    if (ec) throw DecodingError("The reply is not valid JSON: " + ec.message() + ".");
    return json;
}

}  // namespace

JsonValue mapJSONList(const Response& response, const ListElement& element, boost::json::storage_ptr storage) {
    return parseBody(response, [&](boost::system::error_code& ec) {
        return parseJsonList(response.data, ec, element, std::move(storage));
    });
}

JsonValue mapJSON(const Response& response, std::optional<std::string_view> keyPath, boost::json::storage_ptr storage) {
    JsonValue json = parseBody(response, [&](boost::system::error_code& ec) {
        return parseJson(response.data, ec, std::move(storage));
    });
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
