#pragma once

#include "core/http/provider.hpp"

namespace lumeno::detail {

/// The provider over the shared session, with the library's request hook: a request carrying
/// an expired token of a password session waits while the member logs in again.
const Provider& libraryProvider();

}  // namespace lumeno::detail
