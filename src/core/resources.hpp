#pragma once

#include <span>
#include <string_view>

namespace lumeno::detail {

/// The bytes of a resource embedded into the library at build time; empty when there is none.
std::span<const unsigned char> embeddedResource(std::string_view name, std::string_view extension);

}  // namespace lumeno::detail
