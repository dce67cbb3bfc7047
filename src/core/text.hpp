#pragma once

// Text forms derived from names.

#include <string>
#include <string_view>

namespace lumeno::detail {

/// The search form of a name: every U+0020 space removed, then lowercased with the full
/// Unicode case mapping of the root locale (the same result on every machine).
std::string lowercasedSearchName(std::string_view name);

}  // namespace lumeno::detail
