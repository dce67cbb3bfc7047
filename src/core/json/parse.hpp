#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "lumeno/core/json/json.hpp"

namespace lumeno::detail {

/// Parses an untrusted JSON text (a reply body) the one way the library parses replies.
/// A number with a fraction or an exponent is read from its own text with `std::from_chars`,
/// correctly rounded (Boost.JSON's own conversion can be one unit off); one beyond the range
/// of a double fails the parse (`exponent_overflow`) instead of becoming infinity. Nesting
/// deeper than 64 fails it too. On failure `error` says why and the result is null. The value
/// lives in `storage` (the default resource unless given).
JsonValue parseJson(std::string_view text, boost::system::error_code& error, boost::json::storage_ptr storage = {});

/// What takes each element of a top-level list, in order, while the list is parsed, with how
/// much of the text has been read: up to the element's end, or a little less (its last key, text
/// or number from the text itself; 0 when none has come yet).
using ListElement = std::function<void(const JsonValue& element, std::size_t read)>;

/// Parses as `parseJson` does; when the top level is a list, hands each element to `element` as
/// soon as it is read and returns an empty list. Each element lives in memory used again for the
/// next one, so that the whole list is never held. `element` must not throw. On failure, `error`
/// says why and the result is null (elements before the failure have been handed over).
JsonValue parseJsonList(std::string_view text, boost::system::error_code& error, const ListElement& element,
                        boost::json::storage_ptr storage = {});

}  // namespace lumeno::detail
