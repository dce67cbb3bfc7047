// The configuration property list, XML or binary: decoding either gives a configuration or
// throws `std::runtime_error` with the decoder's message; nothing else escapes.

#include <stdexcept>

#include "check.hpp"
#include "lumeno/core/lumeno.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        (void)lumeno::LumenoConfig::decodePlist(lumeno::fuzz::text(data, size));
    } catch (const std::runtime_error&) {
    }
    return 0;
}
