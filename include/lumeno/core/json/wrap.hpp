#pragma once

// The object-to-dictionary encoder: a record lists its own properties, in declaration order,
// and `wrap` turns it into a JSON object keyed by the property names. Absent optionals are
// left out; nested wrappable records become nested objects.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lumeno/core/json/json.hpp"

namespace lumeno {

class Wrapper;

/// A record that lists its properties: `void wrap(Wrapper&) const`.
template <class T>
concept Wrappable = requires(const T& value, Wrapper& wrapper) { value.wrap(wrapper); };

class Wrapper {
public:
    template <class T>
    Wrapper& operator()(std::string_view name, const T& value) {
        if (auto json = toJson(value)) object_[name] = std::move(*json);
        return *this;
    }

    [[nodiscard]] JsonObject take() { return std::move(object_); }

private:
    template <class T>
    static std::optional<JsonValue> toJson(const T& value) {
        if constexpr (requires { value.has_value(); *value; }) {
            if (!value) return std::nullopt;
            return toJson(*value);
        } else if constexpr (Wrappable<T>) {
            Wrapper nested;
            value.wrap(nested);
            return JsonValue(nested.take());
        } else if constexpr (requires { value.begin(); value.end(); typename T::value_type; } &&
                             !std::is_convertible_v<T, std::string_view>) {
            JsonArray array;
            for (const auto& element : value)
                if (auto json = toJson(element)) array.push_back(std::move(*json));
            return JsonValue(std::move(array));
        } else {
            return JsonValue(value);
        }
    }

    JsonObject object_;
};

/// The record as a JSON object of its properties.
template <Wrappable T>
JsonObject wrap(const T& value) {
    Wrapper wrapper;
    value.wrap(wrapper);
    return wrapper.take();
}

}  // namespace lumeno
