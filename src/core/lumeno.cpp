#include "lumeno/core/lumeno.hpp"

namespace lumeno {

Lumeno& Lumeno::shared() {
    static Lumeno instance;
    return instance;
}

}  // namespace lumeno
