#pragma once

// Typed reads with the rules of the platform's JSON decoder:
// - integers take a number with an exact integral value in range (12, 12.0, 1e1); 12.5, an
//   out-of-range number, true and "12" are mismatches;
// - double takes any finite number, float any number within its range; the parser reads a
//   number beyond the double range ("1e400", "0e400") as infinity or NaN, a mismatch for every
//   reader, free-form values at any depth included;
// - bool takes only true and false; text takes only strings;
// - a list is all-or-nothing.
// Models decode through `KeyedReader`, one rule word per key:
//   strict        absent or null gives the default; a wrong type throws
//   lenient       absent, null or a wrong type gives the default; the error is dropped
//   required      the key must be present with the right type; null throws
//   present-only  the caller looks at the key only when `contains(key)` holds

#include <algorithm>
#include <bit>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/core/json/record.hpp"

namespace lumeno {

namespace json {

/// The name of a JSON value's kind, for error messages ("a string", "null", ...).
std::string_view kindName(const JsonValue& json) noexcept;

[[noreturn]] void throwMismatch(std::string_view expected, const JsonValue& found);

std::optional<std::int64_t> toInt64(const JsonValue& json) noexcept;
std::optional<double> toDouble(const JsonValue& json) noexcept;
std::optional<float> toFloat(const JsonValue& json) noexcept;

/// Throws the mismatch of `expected` when a number at any depth of `json` is not finite.
void requireFinite(std::string_view expected, const JsonValue& json);

template <class T> struct IsVector : std::false_type {};
template <class T> struct IsVector<std::vector<T>> : std::true_type {};
template <class T> struct IsOptional : std::false_type {};
template <class T> struct IsOptional<std::optional<T>> : std::true_type {};

template <class T>
T decodeValue(const JsonValue& json, const Decoder& decoder);

/// A value still to decode: converting it decodes the value where the result goes, so that a
/// record is built in its place rather than moved there.
template <class T>
struct Decoded {
    const JsonValue& json;
    const Decoder& decoder;

    operator T() const { return decodeValue<T>(json, decoder); }
};

/// Decodes `json` as the next element of `list`; throws `DecodingError` on a mismatch.
template <class T>
void appendDecoded(std::vector<T>& list, const JsonValue& json, const Decoder& decoder) {
    // A record is decoded straight into its place in the list, not moved there.
    if constexpr (DecodableModel<T>) list.emplace_back(Decoded<T>{json, decoder});
    else list.push_back(decodeValue<T>(json, decoder));
}

/// Decodes one value as `T`; throws `DecodingError` on a mismatch.
template <class T>
T decodeValue(const JsonValue& json, const Decoder& decoder) {
    if constexpr (std::is_same_v<T, bool>) {
        if (!json.is_bool()) throwMismatch("Bool", json);
        return json.get_bool();
    } else if constexpr (std::is_same_v<T, std::int64_t>) {
        if (auto v = toInt64(json)) return *v;
        throwMismatch("Int", json);
    } else if constexpr (std::is_same_v<T, double>) {
        if (auto v = toDouble(json)) return *v;
        throwMismatch("Double", json);
    } else if constexpr (std::is_same_v<T, float>) {
        if (auto v = toFloat(json)) return *v;
        throwMismatch("Float", json);
    } else if constexpr (std::is_same_v<T, std::string>) {
        if (!json.is_string()) throwMismatch("String", json);
        const auto& s = json.get_string();
        return std::string(s.data(), s.size());
    } else if constexpr (std::is_same_v<T, JsonValue>) {
        // Copies go to the default resource: the reply's own may be freed before the record.
        requireFinite("JSON", json);
        return JsonValue(json, boost::json::storage_ptr());
    } else if constexpr (std::is_same_v<T, JsonObject>) {
        if (!json.is_object()) throwMismatch("Dictionary", json);
        requireFinite("Dictionary", json);
        return JsonObject(json.get_object(), boost::json::storage_ptr());
    } else if constexpr (std::is_same_v<T, JsonArray>) {
        if (!json.is_array()) throwMismatch("Array", json);
        requireFinite("Array", json);
        return JsonArray(json.get_array(), boost::json::storage_ptr());
    } else if constexpr (std::is_same_v<T, std::map<std::string, std::string>>) {
        if (!json.is_object()) throwMismatch("Dictionary", json);
        T out;
        for (const auto& [key, value] : json.get_object())
            out.emplace(std::string(key), decodeValue<std::string>(value, decoder));
        return out;
    } else if constexpr (IsOptional<T>::value) {
        if (json.is_null()) return T{};
        return T{decodeValue<typename T::value_type>(json, decoder)};
    } else if constexpr (IsVector<T>::value) {
        if (!json.is_array()) throwMismatch("Array", json);
        const auto& array = json.get_array();
        T out;
        out.reserve(array.size());
        for (const auto& element : array) appendDecoded(out, element, decoder);
        return out;
    } else {
        static_assert(DecodableModel<T>, "no JSON decoding for this type");
        return T::decode(json, decoder);
    }
}

/// Encodes a value the way the records write their fields.
template <class T>
JsonValue encodeValue(const T& value) {
    if constexpr (std::is_same_v<T, bool> || std::is_arithmetic_v<T>) {
        return JsonValue(value);
    } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, JsonValue> ||
                         std::is_same_v<T, JsonObject> || std::is_same_v<T, JsonArray>) {
        return JsonValue(value);
    } else if constexpr (std::is_same_v<T, std::map<std::string, std::string>>) {
        JsonObject object;
        object.reserve(value.size());
        for (const auto& [key, text] : value) object.emplace(key, text);
        return object;
    } else if constexpr (IsOptional<T>::value) {
        return value ? encodeValue(*value) : JsonValue(nullptr);
    } else if constexpr (IsVector<T>::value) {
        JsonArray array;
        array.reserve(value.size());
        for (const auto& element : value) array.push_back(encodeValue(element));
        return array;
    } else {
        static_assert(EncodableModel<T>, "no JSON encoding for this type");
        return value.toJson();
    }
}


}  // namespace json

/// Up to 8 bytes of `text` from `at`, as one number, the first byte lowest (the tables' keys are
/// read while compiling, the objects' keys while running: both read the same number).
constexpr std::uint64_t eightBytes(std::string_view text, std::size_t at) {
    std::uint64_t bytes = 0;
    const std::size_t count = std::min<std::size_t>(8, text.size() - at);
    if consteval {
        for (std::size_t i = 0; i < count; ++i) bytes |= std::uint64_t(static_cast<unsigned char>(text[at + i])) << (8 * i);
    } else {
        // Fixed-size copies are single loads; most keys take the first path for both ends. A
        // shorter run is read as two overlapping loads, whose shared bytes agree.
        const char* from = text.data() + at;
        const auto load = [from]<class Word>(Word, std::size_t offset) {
            Word word;
            std::memcpy(&word, from + offset, sizeof word);
            if constexpr (std::endian::native == std::endian::big) word = std::byteswap(word);
            return std::uint64_t{word} << (8 * offset);
        };
        if (count == 8) bytes = load(std::uint64_t{}, 0);
        else if (count >= 4) bytes = load(std::uint32_t{}, 0) | load(std::uint32_t{}, count - 4);
        else if (count >= 2) bytes = load(std::uint16_t{}, 0) | load(std::uint16_t{}, count - 2);
        else if (count == 1) bytes = static_cast<unsigned char>(*from);
    }
    return bytes;
}

/// A key's first and last 8 bytes (`eightBytes`; the last are 0 for a key of at most 8 bytes).
/// Two keys of the same length and at most 16 bytes are equal when their words are.
struct KeyWords {
    std::uint64_t head = 0;
    std::uint64_t tail = 0;

    constexpr KeyWords() = default;
    constexpr explicit KeyWords(std::string_view key)
        : head(eightBytes(key, 0)), tail(key.size() > 8 ? eightBytes(key, key.size() - 8) : 0) {}

    /// A quick hash of the key of these words and `size` bytes, for a table of the keys.
    [[nodiscard]] constexpr std::uint32_t hash(std::size_t size) const {
        const std::uint64_t mixed = (head ^ (tail << 29 | tail >> 35) ^ size) * 0x9E3779B97F4A7C15u;
        return static_cast<std::uint32_t>(mixed >> 32);
    }
};

/// A slot of a record's key index: a key, its words and its place among the table's keys, or
/// `kEmpty` as its place when the slot holds no key.
struct KeySlot {
    static constexpr std::size_t kEmpty = ~std::size_t{0};

    std::string_view key;
    KeyWords words;
    std::size_t place;

    /// Whether this slot holds `other`, whose words are `otherWords`.
    [[nodiscard]] bool holds(std::string_view other, const KeyWords& otherWords) const {
        // The words cover the first and last 8 bytes; a longer key compares its middle too.
        return other.size() == key.size() && otherWords.head == words.head && otherWords.tail == words.tail &&
               (other.size() <= 16 || std::memcmp(other.data() + 8, key.data() + 8, other.size() - 16) == 0);
    }
};

/// Reads the keys of one JSON object with the per-key rules of the records.
class KeyedReader {
public:
    /// Reads `json` in one pass over its members: the value of each key in `index` goes to
    /// `found`, at the key's place; `found` holds nulls before. `index` is a table of a power of
    /// two slots, at least one of them empty, each key in the first free slot from its hash on.
    /// Without an index every key is looked up in the object. Throws `DecodingError` unless
    /// `json` is an object.
    KeyedReader(const JsonValue& json, const Decoder& decoder, std::span<const KeySlot> index = {},
                std::span<const JsonValue*> found = {});

    [[nodiscard]] bool contains(std::string_view key) const { return find(key) != nullptr; }
    /// The raw value under `key`, or null when absent.
    [[nodiscard]] const JsonValue* find(std::string_view key) const;
    /// The reply's decoding context, or null.
    [[nodiscard]] DataTransferModel* context() const noexcept { return decoder_.transferRef(); }

    // Each rule reads the value under `key`, or `value` when the caller found it already.

    /// Absent or null gives `fallback`; a value of another type throws.
    template <class T>
    T strict(std::string_view key, T fallback = T{}) const {
        return strict<T>(key, find(key), std::move(fallback));
    }
    template <class T>
    T strict(std::string_view key, const JsonValue* value, T fallback) const {
        if (value == nullptr || value->is_null()) return fallback;
        return decodeAt<T>(key, *value);
    }

    /// Absent or null leaves `out`, which is empty before, empty; a value of another type throws.
    template <class T>
    void strictOptional(std::string_view key, const JsonValue* value, std::optional<T>& out) const {
        if (value == nullptr || value->is_null()) return;
        try {
            out.emplace(json::Decoded<T>{*value, decoder_});
        } catch (const DecodingError& error) {
            throwAt(key, error);
        }
    }

    /// Absent, null or a value that does not decode gives nullopt.
    template <class T>
    std::optional<T> lenient(std::string_view key) const {
        return lenient<T>(find(key));
    }
    template <class T>
    std::optional<T> lenient(const JsonValue* value) const {
        std::optional<T> out;
        lenient(value, out);
        return out;
    }
    /// The same, decoded into `out`, which is empty before.
    template <class T>
    void lenient(const JsonValue* value, std::optional<T>& out) const {
        if (value == nullptr || value->is_null()) return;
        try {
            out.emplace(json::Decoded<T>{*value, decoder_});
        } catch (const DecodingError&) {
            out.reset();
        }
    }

    /// The key must be present and decode; absent or null throws.
    template <class T>
    T required(std::string_view key) const {
        return required<T>(key, find(key));
    }
    template <class T>
    T required(std::string_view key, const JsonValue* value) const {
        if (value == nullptr) throw DecodingError("No value associated with key \"" + std::string(key) + "\".");
        if (value->is_null())
            throw DecodingError("Expected a value for key \"" + std::string(key) + "\" but found null.");
        return decodeAt<T>(key, *value);
    }

private:
    template <class T>
    T decodeAt(std::string_view key, const JsonValue& value) const {
        try {
            return json::decodeValue<T>(value, decoder_);
        } catch (const DecodingError& error) {
            throwAt(key, error);
        }
    }
    /// Throws `error` as the failure of the value under `key`.
    [[noreturn]] static void throwAt(std::string_view key, const DecodingError& error);

    const JsonObject& object_;
    const Decoder& decoder_;
    std::span<const KeySlot> index_;
    std::span<const JsonValue*> found_;
};

}  // namespace lumeno
