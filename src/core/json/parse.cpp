#include "core/json/parse.hpp"

#include <boost/json/basic_parser_impl.hpp>
#include <boost/json/monotonic_resource.hpp>
#include <boost/json/value_stack.hpp>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace lumeno::detail {
namespace {

using boost::json::string_view;
using ErrorCode = boost::system::error_code;

/// The double of a JSON number's text when its digits and its power of ten are both exact
/// doubles: at most 15 significant digits and a power within 10^-22 to 10^22. One multiplication
/// or division of the two then rounds as `std::from_chars` does. Nullopt for any other number.
[[gnu::always_inline]] inline std::optional<double> exactDecimal(std::string_view text) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr std::uint64_t kDigitsLimit = 1'000'000'000'000'000;  // 16 digits
    constexpr int kMaxPower = 22;
    // The parser has checked the text: [-] digits [. digits] [e|E [+|-] digits].
    const char* at = text.data();
    const char* const end = at + text.size();
    const bool negative = *at == '-';
    at += negative;
    std::uint64_t digits = 0;  // the significant digits, leading zeros left out
    int power = 0;
    bool fraction = false;
    for (; at != end; ++at) {
        const char c = *at;
        if (c >= '0' && c <= '9') {
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            if (digits >= kDigitsLimit) return std::nullopt;
            power -= fraction;
        } else if (c == '.') {
            fraction = true;
        } else {
            break;
        }
    }
    if (at != end) {  // the exponent
        ++at;
        const bool down = *at == '-';
        at += *at == '-' || *at == '+';
        int exponent = 0;
        for (; at != end; ++at) {
            exponent = exponent * 10 + (*at - '0');
            if (exponent > 1000) return std::nullopt;
        }
        power += down ? -exponent : exponent;
    }
    double value = static_cast<double>(digits);
    if (digits != 0) {
        if (power < -kMaxPower || power > kMaxPower) return std::nullopt;
        value = power < 0 ? value / kPowers[-power] : value * kPowers[power];
    }
    return negative ? -value : value;
}

/// Builds the value as Boost.JSON's own parser does, but for the doubles; or, `forList` and
/// given an element handler, each element of a top-level list by itself.
template <bool forList>
struct Handler {
    static constexpr std::size_t max_object_size = boost::json::object::max_size();
    static constexpr std::size_t max_array_size = boost::json::array::max_size();
    static constexpr std::size_t max_key_size = boost::json::string::max_size();
    static constexpr std::size_t max_string_size = boost::json::string::max_size();

    boost::json::value_stack stack;
    std::string number;  ///< the text of the number being read, when it came in parts
    const ListElement* element = nullptr;              ///< what takes a top-level list's elements
    boost::json::monotonic_resource* elementMemory = nullptr;  ///< where one element lives
    std::string_view text;   ///< the text parsed
    std::size_t read = 0;    ///< the end of the last key, text or number read from `text` itself
    std::size_t depth = 0;   ///< the lists and objects open
    bool inList = false;     ///< the top level is a list whose elements go to `element`

    /// The stack of unfinished values starts in `buffer`.
    Handler(unsigned char* buffer, std::size_t size) : stack({}, buffer, size) {}

    /// A value is complete: when it is an element of the top-level list, it goes to `element`
    /// and its memory is used again for the next one.
    bool completed() {
        if (forList && inList && depth == 1) {
            {
                const JsonValue value = stack.release();
                (*element)(value, read);
            }
            elementMemory->release();
            stack.reset(elementMemory);
        }
        return true;
    }

    /// Notes how far `s` reaches when it lies in the text (a key or text with escapes does not).
    void note(string_view s) {
        if (!forList) return;
        const auto at = reinterpret_cast<std::uintptr_t>(s.data()) - reinterpret_cast<std::uintptr_t>(text.data());
        if (at <= text.size() && s.size() <= text.size() - at) read = at + s.size();
    }

    bool on_document_begin(ErrorCode&) { return true; }
    bool on_document_end(ErrorCode&) { return true; }
    bool on_object_begin(ErrorCode&) { return depth += forList, true; }
    bool on_object_end(std::size_t n, ErrorCode&) { return stack.push_object(n), depth -= forList, completed(); }
    bool on_array_begin(ErrorCode&) {
        if (forList && depth == 0) {
            inList = true;
            stack.reset(elementMemory);
        }
        return depth += forList, true;
    }
    bool on_array_end(std::size_t n, ErrorCode&) {
        depth -= forList;
        if (forList && depth == 0) return true;  // the list itself is not built
        return stack.push_array(n), completed();
    }
    bool on_key_part(string_view s, std::size_t, ErrorCode&) { return stack.push_chars(s), true; }
    bool on_key(string_view s, std::size_t, ErrorCode&) { return note(s), stack.push_key(s), true; }
    bool on_string_part(string_view s, std::size_t, ErrorCode&) { return stack.push_chars(s), true; }
    bool on_string(string_view s, std::size_t, ErrorCode&) { return note(s), stack.push_string(s), completed(); }
    bool on_number_part(string_view s, ErrorCode&) { return number.append(s), true; }
    bool on_int64(std::int64_t i, string_view s, ErrorCode&) {
        return note(s), number.clear(), stack.push_int64(i), completed();
    }
    bool on_uint64(std::uint64_t u, string_view s, ErrorCode&) {
        return note(s), number.clear(), stack.push_uint64(u), completed();
    }
    bool on_bool(bool b, ErrorCode&) { return stack.push_bool(b), completed(); }
    bool on_null(ErrorCode&) { return stack.push_null(), completed(); }
    bool on_comment_part(string_view, ErrorCode&) { return true; }
    bool on_comment(string_view, ErrorCode&) { return true; }

    bool on_double(double approximate, string_view s, ErrorCode& error) {
        note(s);
        if (number.empty()) {
            if (const auto exact = exactDecimal(s)) {
                stack.push_double(*exact);
                return completed();
            }
        }
        number.append(s);
        double value = 0;
        const auto [end, result] = std::from_chars(number.data(), number.data() + number.size(), value);
        number.clear();
        // Out of range: beyond the largest double, or so small that it rounds to zero, where
        // Boost.JSON's zero (with its sign) stands.
        if (result == std::errc::result_out_of_range) value = approximate;
        if (result == std::errc::invalid_argument || !std::isfinite(value)) {
            error = boost::json::error::exponent_overflow;
            return false;
        }
        stack.push_double(value);
        return completed();
    }
};

template <bool forList>
JsonValue parse(std::string_view text, boost::system::error_code& error, boost::json::storage_ptr storage,
                const ListElement* element, boost::json::monotonic_resource* elementMemory) {
    boost::json::parse_options options;
    options.max_depth = 64;
    // A small reply's unfinished values never leave this buffer.
    unsigned char stackBuffer[1024];
    boost::json::basic_parser<Handler<forList>> parser(options, stackBuffer, sizeof stackBuffer);
    Handler<forList>& handler = parser.handler();
    handler.element = element;
    handler.text = text;
    handler.elementMemory = elementMemory;
    handler.stack.reset(std::move(storage));
    const std::size_t used = parser.write_some(false, text.data(), text.size(), error);
    if (!error && used < text.size()) error = boost::json::error::extra_data;
    if (error) return nullptr;
    if (handler.inList) return boost::json::array();
    return handler.stack.release();
}

}  // namespace

JsonValue parseJson(std::string_view text, boost::system::error_code& error, boost::json::storage_ptr storage) {
    return parse<false>(text, error, std::move(storage), nullptr, nullptr);
}

JsonValue parseJsonList(std::string_view text, boost::system::error_code& error, const ListElement& element,
                        boost::json::storage_ptr storage) {
    // An element's memory: one buffer, used again for each element; a larger element's overflow
    // is freed after it.
    constexpr std::size_t kElementBuffer = 32 * 1024;
    const std::unique_ptr<unsigned char[]> buffer(new unsigned char[kElementBuffer]);
    boost::json::monotonic_resource elementMemory(buffer.get(), kElementBuffer);
    return parse<true>(text, error, std::move(storage), &element, &elementMemory);
}

}  // namespace lumeno::detail
