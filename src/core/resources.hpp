#pragma once

#include <span>
#include <string_view>

namespace lumeno::detail {

/// The bytes of a resource embedded in the library at build time, looked up by name and
/// extension (the pinned roots: "AmazonRootCA1" to "AmazonRootCA4" and "SFSRootCAG2", "cer",
/// DER). Empty when there is no such resource.
std::span<const unsigned char> embeddedResource(std::string_view name, std::string_view extension);

}  // namespace lumeno::detail
