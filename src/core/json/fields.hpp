#pragma once

// A record is its key table. The table lists the record's keys in decoding order, each with
// its member and rule word, plus the few steps that read no key of their own (a context write,
// a derived field) or read a key their own way. The same table decodes the record, encodes it
// with the record's rule for absent fields, and tells the tests which rule each key follows.
// `keysOf<R>` finds a record's table; `Record<R>`, behind the record's public `decode` and
// `toJson`, is defined from it once for every record (src/models/records.cpp):
//
//   inline constexpr auto memberResponseKeys = fields<MemberResponse>(
//       strict("member_data", &MemberResponse::member), lenient("token", &MemberResponse::token), ...);
//   template <> inline constexpr const auto& keysOf<MemberResponse> = memberResponseKeys;

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "core/json/readers.hpp"
#include "lumeno/core/json/record.hpp"

namespace lumeno::detail {

enum class Rule {
    strict,    ///< absent or null keeps the default; a value of another type fails the record
    lenient,   ///< absent, null or a value of another type keeps the default
    required,  ///< must be present with a value of the right type; null fails the record
};

/// How an encoder writes an absent optional field.
enum class Absent { omit, null };

/// One key: the JSON key, the member it fills and its rule. `presentOnly` keys are looked at
/// only when the object contains them (it matters for `required`: an absent key then keeps the
/// default).
template <class R, class M>
struct Key {
    std::string_view key;
    M R::*member;
    Rule rule;
    bool presentOnly = false;
    bool filled = false;
    bool nullWhenAbsent = false;
};

template <class R, class M> constexpr Key<R, M> strict(std::string_view k, M R::*m) { return {k, m, Rule::strict}; }
template <class R, class M> constexpr Key<R, M> lenient(std::string_view k, M R::*m) { return {k, m, Rule::lenient}; }
template <class R, class M> constexpr Key<R, M> required(std::string_view k, M R::*m) { return {k, m, Rule::required}; }
/// The key is looked at only when the object contains it.
template <class R, class M> constexpr Key<R, M> presentOnly(Key<R, M> key) { key.presentOnly = true; return key; }
/// An optional member that a strict key fills with its type's default when absent or null.
template <class R, class M> constexpr Key<R, M> filled(Key<R, M> key) { key.filled = true; return key; }
/// An optional member that the encoder writes as null when absent, whatever the record's rule.
template <class R, class M> constexpr Key<R, M> nullWhenAbsent(Key<R, M> key) { key.nullWhenAbsent = true; return key; }

/// A step with its own reading and, optionally, writing: a key read as something other than
/// its member's type, a context write, a derived field. A step that reads a key of its own
/// names it with the rule its reading follows, and `mismatch` gives a value of another type than
/// the key takes, so that the rule tests check the step as they check every key.
template <class R>
struct Step {
    void (*read)(const KeyedReader& in, R& out);
    void (*write)(const R& record, JsonObject& out, Absent absent) = nullptr;
    std::string_view key = {};
    Rule rule = Rule::lenient;
    bool presentOnly = false;
    bool filled = false;  ///< absent or null fill the member with its empty value
    JsonValue (*mismatch)() = nullptr;
};

/// A step that runs only under a decoding context.
template <class R>
struct ContextStep {
    void (*apply)(R& record, DataTransferModel& context);
};

/// What the rule tests know of one key.
struct KeyRule {
    std::string_view key;
    Rule rule;
    bool presentOnly;
    bool filled;              ///< absent or null give the member's empty value, not its absence
    JsonValue (*mismatch)();  ///< a value of another type than the key's, or null when any value fits
};

template <class T>
constexpr JsonValue (*mismatchFor())() {
    using V = typename std::conditional_t<json::IsOptional<T>::value, T, std::optional<T>>::value_type;
    if constexpr (std::is_same_v<V, JsonValue>) return nullptr;
    else if constexpr (std::is_same_v<V, std::string>) return [] { return JsonValue(12); };
    else return [] { return JsonValue("x"); };
}

template <class R, class... Steps>
class Fields {
public:
    constexpr explicit Fields(Absent absent, Steps... steps) : absent_(absent), steps_(steps...) {
        // The index of the keys: each key once, in a table of hash slots at most half full, so
        // that one pass over an object's members finds the value of every key.
        std::size_t step = 0;
        forEach([&](const auto& each) {
            const std::string_view key = keyOf(each);
            placeOf_[step++] = key.empty() ? kNoPlace : place(key);
        });
    }

    /// Reads the object's members once, then runs the steps in table order: the decoding
    /// context sees the steps' writes in that order.
    R decode(const JsonValue& json, const Decoder& decoder) const {
        std::array<const JsonValue*, sizeof...(Steps)> found{};
        const KeyedReader in(json, decoder, index_, found);
        R out{};
        std::size_t step = 0;
        forEach([&](const auto& each) {
            const std::size_t place = placeOf_[step++];
            read(in, out, each, place == kNoPlace ? nullptr : found[place]);
        });
        return out;
    }

    /// Encodes with the record's own rule for absent fields.
    JsonObject encode(const R& record) const { return encode(record, absent_); }

    JsonObject encode(const R& record, Absent absent) const {
        return encode(record, absent, [](const auto& value) { return json::encodeValue(value); });
    }

    /// Encodes with `value` turning each keyed field into JSON.
    template <class ValueEncoder>
    JsonObject encode(const R& record, Absent absent, const ValueEncoder& value) const {
        JsonObject out;
        forEach([&](const auto& step) { write(record, out, absent, value, step); });
        return out;
    }

    /// The keys with a rule word, in table order.
    [[nodiscard]] auto rules() const {
        std::vector<KeyRule> out;
        forEach([&](const auto& step) { describe(out, step); });
        return out;
    }

    /// Calls `visit` with each step, in table order.
    template <class Visit>
    constexpr void forEach(const Visit& visit) const {
        std::apply([&](const auto&... step) { (visit(step), ...); }, steps_);
    }

private:
    static constexpr std::size_t kNoPlace = sizeof...(Steps);
    static constexpr std::size_t kSlots = std::bit_ceil(2 * sizeof...(Steps));

    template <class M>
    static constexpr std::string_view keyOf(const Key<R, M>& key) { return key.key; }
    static constexpr std::string_view keyOf(const Step<R>& step) { return step.key; }
    static constexpr std::string_view keyOf(const ContextStep<R>&) { return {}; }

    /// The place of `key` among the keys, given one when it is new.
    constexpr std::size_t place(std::string_view key) {
        const KeyWords words(key);
        std::size_t slot = words.hash(key.size()) & (kSlots - 1);
        for (; index_[slot].place != KeySlot::kEmpty; slot = (slot + 1) & (kSlots - 1))
            if (index_[slot].key == key) return index_[slot].place;
        index_[slot] = {key, words, keyCount_};
        return keyCount_++;
    }

    template <class M>
    static void read(const KeyedReader& in, R& out, const Key<R, M>& key, const JsonValue* value) {
        if (key.presentOnly && value == nullptr) return;
        M& field = out.*key.member;
        if constexpr (json::IsOptional<M>::value) {
            using V = typename M::value_type;
            // A value is decoded in the member's place; the member is empty unless one is.
            field.reset();
            switch (key.rule) {
                case Rule::strict:
                    if (key.filled) field = in.strict<V>(key.key, value, V{});
                    else in.strictOptional(key.key, value, field);
                    break;
                case Rule::lenient: in.lenient(value, field); break;
                case Rule::required: field = in.required<V>(key.key, value); break;
            }
        } else {
            switch (key.rule) {
                case Rule::strict: field = in.strict<M>(key.key, value, std::move(field)); break;
                case Rule::lenient:
                    if (auto decoded = in.lenient<M>(value)) field = std::move(*decoded);
                    break;
                case Rule::required: field = in.required<M>(key.key, value); break;
            }
        }
    }
    static void read(const KeyedReader& in, R& out, const Step<R>& step, const JsonValue*) {
        if (step.read != nullptr) step.read(in, out);
    }
    static void read(const KeyedReader& in, R& out, const ContextStep<R>& step, const JsonValue*) {
        if (DataTransferModel* context = in.context()) step.apply(out, *context);
    }

    template <class M, class ValueEncoder>
    static void write(const R& record, JsonObject& out, Absent absent, const ValueEncoder& value,
                      const Key<R, M>& key) {
        const M& field = record.*key.member;
        if constexpr (json::IsOptional<M>::value) {
            if (!field && absent == Absent::omit && !key.nullWhenAbsent) return;
        }
        out[key.key] = value(field);
    }
    template <class ValueEncoder>
    static void write(const R& record, JsonObject& out, Absent absent, const ValueEncoder&, const Step<R>& step) {
        if (step.write != nullptr) step.write(record, out, absent);
    }
    template <class ValueEncoder>
    static void write(const R&, JsonObject&, Absent, const ValueEncoder&, const ContextStep<R>&) {}

    template <class M>
    static void describe(std::vector<KeyRule>& out, const Key<R, M>& key) {
        out.push_back({key.key, key.rule, key.presentOnly, key.filled, mismatchFor<M>()});
    }
    static void describe(std::vector<KeyRule>& out, const Step<R>& step) {
        if (!step.key.empty()) out.push_back({step.key, step.rule, step.presentOnly, step.filled, step.mismatch});
    }
    static void describe(std::vector<KeyRule>&, const ContextStep<R>&) {}

    Absent absent_;
    std::tuple<Steps...> steps_;
    std::array<KeySlot, kSlots> index_ = [] {
        std::array<KeySlot, kSlots> empty{};
        for (KeySlot& slot : empty) slot.place = KeySlot::kEmpty;
        return empty;
    }();
    std::size_t keyCount_ = 0;
    std::array<std::size_t, sizeof...(Steps)> placeOf_{};
};

/// The table of `R`: its steps in decoding order. The encoder leaves out absent optional fields,
/// or writes them as null with `Absent::null`.
template <class R, Absent absent = Absent::omit, class... Steps>
constexpr Fields<R, Steps...> fields(Steps... steps) {
    return Fields<R, Steps...>(absent, steps...);
}

/// The key table of the record `R`, specialised next to the table as a reference to it.
template <class R>
inline constexpr std::nullptr_t keysOf = nullptr;

}  // namespace lumeno::detail
