#pragma once

#include <expected>
#include <functional>

#include "lumeno/core/error.hpp"

namespace lumeno {

/// The outcome of every call: the decoded value, or the error that stopped it.
template <class T>
using Result = std::expected<T, LumenoError>;

/// The host's completion of a call; the library calls it exactly once. Move-only: it may hold
/// a `std::promise` or other state that cannot be copied.
template <class T>
using Completion = std::move_only_function<void(Result<T>)>;

/// A failed result, for brevity at return sites; made on a failure only.
[[gnu::cold]] inline std::unexpected<LumenoError> fail(LumenoError error) { return std::unexpected(std::move(error)); }

}  // namespace lumeno
