#include "core/json/readers.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumeno {

Decoder::Decoder(const UserInfo& userInfo) {
    if (auto it = userInfo.find(transferRefKey); it != userInfo.end()) {
        if (auto* ref = std::any_cast<std::shared_ptr<DataTransferModel>>(&it->second)) transferRef_ = *ref;
    }
}

Decoder Decoder::withFreshContext() {
    Decoder decoder;
    decoder.transferRef_ = std::make_shared<DataTransferModel>();
    return decoder;
}

namespace json {

std::string_view kindName(const JsonValue& json) noexcept {
    switch (json.kind()) {
        case boost::json::kind::null: return "null";
        case boost::json::kind::bool_: return "a flag";
        case boost::json::kind::int64:
        case boost::json::kind::uint64: return "a number";
        // The parser reads a number beyond the double range as infinity ("1e400") or NaN ("0e400").
        case boost::json::kind::double_: return std::isfinite(json.get_double()) ? "a number" : "a non-finite number";
        case boost::json::kind::string: return "a string";
        case boost::json::kind::array: return "an array";
        case boost::json::kind::object: return "an object";
    }
    return "a value";
}

void throwMismatch(std::string_view expected, const JsonValue& found) {
    throw DecodingError("Expected to decode " + std::string(expected) + " but found " + std::string(kindName(found)) +
                        " instead.");
}

std::optional<std::int64_t> toInt64(const JsonValue& json) noexcept {
    switch (json.kind()) {
        case boost::json::kind::int64: return json.get_int64();
        case boost::json::kind::uint64: {
            const std::uint64_t v = json.get_uint64();
            if (v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
            return static_cast<std::int64_t>(v);
        }
        case boost::json::kind::double_: {
            const double d = json.get_double();
            // 2^63 is exactly representable; every double below it and at or above -2^63 fits.
            constexpr double limit = 9223372036854775808.0;
            if (!std::isfinite(d) || d != std::trunc(d) || d < -limit || d >= limit) return std::nullopt;
            return static_cast<std::int64_t>(d);
        }
        default: return std::nullopt;
    }
}

std::optional<double> toDouble(const JsonValue& json) noexcept {
    switch (json.kind()) {
        case boost::json::kind::int64: return static_cast<double>(json.get_int64());
        case boost::json::kind::uint64: return static_cast<double>(json.get_uint64());
        case boost::json::kind::double_:
            if (std::isfinite(json.get_double())) return json.get_double();
            return std::nullopt;
        default: return std::nullopt;
    }
}

void requireFinite(std::string_view expected, const JsonValue& json) {
    if (json.is_double() && !std::isfinite(json.get_double())) throwMismatch(expected, json);
    if (const auto* object = json.if_object())
        for (const auto& member : *object) requireFinite(expected, member.value());
    if (const auto* array = json.if_array())
        for (const auto& value : *array) requireFinite(expected, value);
}

std::optional<float> toFloat(const JsonValue& json) noexcept {
    auto d = toDouble(json);
    if (!d || std::fabs(*d) > static_cast<double>(std::numeric_limits<float>::max())) return std::nullopt;
    return static_cast<float>(*d);
}

}  // namespace json

namespace {

/// The slot of `key` in `index`, or null.
[[gnu::always_inline]] inline const KeySlot* slotOf(std::span<const KeySlot> index, std::string_view key) {
    if (index.empty()) return nullptr;
    const KeyWords words(key);
    const std::size_t mask = index.size() - 1;
    for (std::size_t at = words.hash(key.size()) & mask; index[at].place != KeySlot::kEmpty; at = (at + 1) & mask)
        if (index[at].holds(key, words)) return &index[at];
    return nullptr;
}

}  // namespace

KeyedReader::KeyedReader(const JsonValue& json, const Decoder& decoder, std::span<const KeySlot> index,
                         std::span<const JsonValue*> found)
    : object_(json.is_object() ? json.get_object() : (json::throwMismatch("Dictionary", json), json.get_object())),
      decoder_(decoder),
      index_(index),
      found_(found) {
    for (const auto& member : object_)
        if (const KeySlot* slot = slotOf(index_, member.key())) found_[slot->place] = &member.value();
}

void KeyedReader::throwAt(std::string_view key, const DecodingError& error) {
    throw DecodingError("Key \"" + std::string(key) + "\": " + error.what());
}

const JsonValue* KeyedReader::find(std::string_view key) const {
    if (const KeySlot* slot = slotOf(index_, key)) return found_[slot->place];
    return object_.if_contains(key);
}

}  // namespace lumeno
