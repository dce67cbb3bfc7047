#include "lumeno/core/json/free_form.hpp"

#include <boost/json/serialize.hpp>

#include <charconv>

#include "core/json/attributes.hpp"
#include "core/json/readers.hpp"

namespace lumeno::json {

namespace {

JsonValue anyElement(const JsonValue& value, bool inList) {
    if (value.is_object()) return anyMap(value);
    if (value.is_array()) return anyList(value);
    if (!value.is_number()) return value;
    const auto number = toDouble(value);
    if (!number) throwMismatch("Double", value);
    if (inList) return *number;
    // An integral number (3, 3.0, 1e1) reads as an integer; anything else as another number.
    if (auto v = toInt64(value)) return *v;
    return *number;
}

}  // namespace

JsonObject anyMap(const JsonValue& json) {
    if (!json.is_object()) throwMismatch("Dictionary", json);
    JsonObject out;
    out.reserve(json.get_object().size());
    for (const auto& [key, value] : json.get_object())
        if (!value.is_null()) out.emplace(key, anyElement(value, false));
    return out;
}

JsonArray anyList(const JsonValue& json) {
    if (!json.is_array()) throwMismatch("Array", json);
    JsonArray out;
    out.reserve(json.get_array().size());
    for (const auto& value : json.get_array())
        if (!value.is_null()) out.push_back(anyElement(value, true));
    return out;
}

std::string renderText(const JsonValue& json) {
    switch (json.kind()) {
        case boost::json::kind::string: return std::string(json.get_string());
        case boost::json::kind::bool_: return json.get_bool() ? "true" : "false";
        case boost::json::kind::int64: return std::to_string(json.get_int64());
        case boost::json::kind::uint64: return std::to_string(json.get_uint64());
        case boost::json::kind::double_: {
            char buffer[32];
            auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, json.get_double());
            return std::string(buffer, ec == std::errc{} ? end : buffer);
        }
        default: return boost::json::serialize(json);
    }
}

std::string contextId(const Decoder& decoder, std::optional<std::string> DataTransferModel::*prefix) {
    const DataTransferModel* context = decoder.transferRef();
    return context ? (context->*prefix).value_or("") + context->transferId.value_or("") : std::string();
}

std::vector<CustomAttribute> customAttributes(const JsonValue& json, const std::string& id) {
    if (!json.is_object()) throwMismatch("Dictionary", json);
    const JsonObject& object = json.get_object();
    std::vector<CustomAttribute> out;
    out.reserve(object.size());
    for (const auto& [key, value] : object) {
        if (value.is_null()) continue;
        // A text is its own rendering; anything else is rendered as the free-form map holds it.
        std::string text = value.is_string() ? std::string(value.get_string()) : renderText(anyElement(value, false));
        std::string attributeId;
        attributeId.reserve(id.size() + key.size());
        attributeId.append(id).append(key);
        out.emplace_back(std::move(attributeId), std::string(key), std::move(text));
    }
    return out;
}

}  // namespace lumeno::json

namespace lumeno {

ExtraData ExtraData::decode(const JsonValue& json, const Decoder& decoder) {
    ExtraData data;
    data.id = json::contextId(decoder, &DataTransferModel::prefixExtraData);
    data.customAttributes = json::customAttributes(json, data.id);
    return data;
}

}  // namespace lumeno
