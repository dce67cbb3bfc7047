#pragma once

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

}  // namespace lumeno::detail
