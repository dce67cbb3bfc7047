#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lumeno/export.hpp"

namespace lumeno {

/// HTTP header fields in arrival order; names compare without regard to case.
class LUMENO_EXPORT HttpHeaders {
public:
    /// One field: name and value.
    using Field = std::pair<std::string, std::string>;

    HttpHeaders() = default;
    /// The fields, in this order.
    HttpHeaders(std::initializer_list<Field> fields) : fields_(fields) {}

    /// The value of the first field with this name, if any.
    [[nodiscard]] std::optional<std::string_view> find(std::string_view name) const {
        for (const auto& [key, value] : fields_)
            if (sameName(key, name)) return std::string_view(value);
        return std::nullopt;
    }
    /// Whether a field of this name is there.
    [[nodiscard]] bool contains(std::string_view name) const { return find(name).has_value(); }

    /// Replaces every field of this name with one field holding `value`.
    void set(std::string name, std::string value) {
        remove(name);
        add(std::move(name), std::move(value));
    }
    /// Adds a field after the others, whatever fields of this name there are.
    void add(std::string name, std::string value) {
        // A message has a handful of fields: room for them at once rather than growing by one.
        if (fields_.capacity() == 0) fields_.reserve(8);
        fields_.emplace_back(std::move(name), std::move(value));
    }
    /// Removes every field of this name.
    void remove(std::string_view name) {
        std::erase_if(fields_, [&](const Field& f) { return sameName(f.first, name); });
    }

    /// Every field, in order.
    [[nodiscard]] const std::vector<Field>& fields() const noexcept { return fields_; }
    /// Whether there is no field.
    [[nodiscard]] bool empty() const noexcept { return fields_.empty(); }
    /// How many fields there are.
    [[nodiscard]] std::size_t size() const noexcept { return fields_.size(); }

    /// Whether two field names are the same, ASCII letters compared without regard to case.
    static bool sameName(std::string_view a, std::string_view b) {
        return std::ranges::equal(a, b, [](char x, char y) { return lower(x) == lower(y); });
    }

private:
    static char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
    std::vector<Field> fields_;
};

/// One HTTP reply as the library received it.
struct LUMENO_EXPORT Response {
    int statusCode = 0;    ///< the HTTP status
    std::string data;      ///< the body bytes
    HttpHeaders headers;   ///< the reply's header fields
    std::string url;       ///< the URL that was requested
};

}  // namespace lumeno
