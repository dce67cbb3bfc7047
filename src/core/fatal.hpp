#pragma once

#include <cstdlib>
#include <iostream>
#include <string_view>

namespace lumeno::detail {

/// Stops the process on a configuration or programming fault: prints `message` to stderr and aborts.
[[noreturn]] inline void fatal(std::string_view message) {
    std::cerr << message << std::endl;
    std::abort();
}

}  // namespace lumeno::detail
