#pragma once

// What `Lumeno::shutdown()` stops. Each part of the library that keeps work in flight registers
// its own step when it starts, so that shutting down reaches only what has started and the core
// knows no part above it.

#include <functional>

namespace lumeno::detail {

/// The steps of a shutdown, in the order they run.
enum class ShutdownStep {
    transfers,     ///< the network session: its I/O thread ends, its transfers are dropped
    heldRequests,  ///< requests held while an expired session logs in again are dropped
};

/// Registers what `step` does at shutdown (one action per step; a later one replaces it). Returns
/// false, registering nothing, when the library has already shut down: the caller starts stopped.
bool onShutdown(ShutdownStep step, std::function<void()> action);

/// Runs every registered step once, in order; later calls do nothing.
void runShutdown();

/// Whether `runShutdown` has run.
bool hasShutDown();

}  // namespace lumeno::detail
