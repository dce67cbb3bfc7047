// Temporary: the library's error constructors are written in parallel. This weak stand-in lets
// the endpoint tests link until they land; the library's own definition replaces it then.
// Delete this file once `LumenoError::requestMapping` is defined in the library.

#include "lumeno/core/error.hpp"

namespace lumeno {

[[gnu::weak]] LumenoError LumenoError::requestMapping(std::string text) {
    LumenoError error(Kind::requestMapping);
    error.detail_ = std::move(text);
    return error;
}

}  // namespace lumeno
