#pragma once

// Stand-in for the library's shared random-text helper; same signature, to be replaced by it.

#include <cstddef>
#include <string>

namespace lumeno {

struct Utils {
    /// `length` letters and digits drawn from a seeded generator.
    static std::string randomString(std::size_t length);
};

}  // namespace lumeno
