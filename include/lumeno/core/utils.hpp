#pragma once

#include <cstddef>
#include <string>

#include "lumeno/export.hpp"

namespace lumeno::Utils {

/// `length` characters drawn uniformly from "A"-"Z", "a"-"z" and "0"-"9", from a generator
/// seeded by the system's random source (one generator per thread).
LUMENO_EXPORT std::string randomString(std::size_t length);

}  // namespace lumeno::Utils
