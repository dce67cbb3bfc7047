#pragma once

#include <string_view>

namespace lumeno::detail {

/// The pinned roots embedded in the library at build time: the PEM files of
/// resources/certificates, one after the other, as libcurl takes them from memory.
std::string_view embeddedRootsPem();

}  // namespace lumeno::detail
