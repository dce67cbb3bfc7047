#include "core/json/parse.hpp"

#include <boost/json/basic_parser_impl.hpp>
#include <boost/json/value_stack.hpp>
#include <charconv>
#include <cmath>
#include <string>

namespace lumeno::detail {
namespace {

using boost::json::string_view;
using ErrorCode = boost::system::error_code;

/// Builds the value as Boost.JSON's own parser does, but for the doubles.
struct Handler {
    static constexpr std::size_t max_object_size = boost::json::object::max_size();
    static constexpr std::size_t max_array_size = boost::json::array::max_size();
    static constexpr std::size_t max_key_size = boost::json::string::max_size();
    static constexpr std::size_t max_string_size = boost::json::string::max_size();

    boost::json::value_stack stack;
    std::string number;  ///< the text of the number being read, when it came in parts

    bool on_document_begin(ErrorCode&) { return true; }
    bool on_document_end(ErrorCode&) { return true; }
    bool on_object_begin(ErrorCode&) { return true; }
    bool on_object_end(std::size_t n, ErrorCode&) { return stack.push_object(n), true; }
    bool on_array_begin(ErrorCode&) { return true; }
    bool on_array_end(std::size_t n, ErrorCode&) { return stack.push_array(n), true; }
    bool on_key_part(string_view s, std::size_t, ErrorCode&) { return stack.push_chars(s), true; }
    bool on_key(string_view s, std::size_t, ErrorCode&) { return stack.push_key(s), true; }
    bool on_string_part(string_view s, std::size_t, ErrorCode&) { return stack.push_chars(s), true; }
    bool on_string(string_view s, std::size_t, ErrorCode&) { return stack.push_string(s), true; }
    bool on_number_part(string_view s, ErrorCode&) { return number.append(s), true; }
    bool on_int64(std::int64_t i, string_view, ErrorCode&) { return number.clear(), stack.push_int64(i), true; }
    bool on_uint64(std::uint64_t u, string_view, ErrorCode&) { return number.clear(), stack.push_uint64(u), true; }
    bool on_bool(bool b, ErrorCode&) { return stack.push_bool(b), true; }
    bool on_null(ErrorCode&) { return stack.push_null(), true; }
    bool on_comment_part(string_view, ErrorCode&) { return true; }
    bool on_comment(string_view, ErrorCode&) { return true; }

    bool on_double(double approximate, string_view s, ErrorCode& error) {
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
        return true;
    }
};

}  // namespace

JsonValue parseJson(std::string_view text, boost::system::error_code& error, boost::json::storage_ptr storage) {
    boost::json::parse_options options;
    options.max_depth = 64;
    boost::json::basic_parser<Handler> parser(options);
    parser.handler().stack.reset(std::move(storage));
    const std::size_t used = parser.write_some(false, text.data(), text.size(), error);
    if (!error && used < text.size()) error = boost::json::error::extra_data;
    if (error) return nullptr;
    return parser.handler().stack.release();
}

}  // namespace lumeno::detail
