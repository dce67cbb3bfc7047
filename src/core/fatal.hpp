#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace lumeno::detail {

/// Stops the process on a configuration or programming fault: prints `message` to stderr and aborts.
[[noreturn]] inline void fatal(std::string_view message) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
    std::abort();
}

}  // namespace lumeno::detail
