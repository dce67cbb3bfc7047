#pragma once

// The one HTTP session of the process: a libcurl multi handle, created with the first transfer.
// It keeps connections alive and shares them between requests, speaks HTTP/2 where the server
// offers it (multiplexing a burst of calls on one TLS connection), and goes only where the
// library may go (core/http/destinations.hpp):
//   - TLS only to the host of the base URL, trusting only the pinned roots;
//   - plain HTTP only to loopback addresses (a local sandbox, the tests);
//   - redirects (at most five) only along the same rules, and only on the origin (scheme, host
//     and port) of the request they answer.
// A refused destination fails with `underlying` before anything is sent.
//
// Threads, and what runs on each. Whoever holds the session's lock drives its multi handles; the
// others wait for it.
//   - A caller's thread (any thread the host calls from) builds the request, runs the request
//     hook, and starts the transfer itself: under the lock it adds the transfer and lets libcurl
//     send at once. Cancelling also takes the lock and removes the transfer.
//   - A thread pumping `MainQueue` (`runUntil`) that finds no task waits in the session
//     (core/queue_waiter.hpp). It waits in epoll_wait on the sockets libcurl watches, libcurl's
//     timers and the queue's own wake-up, and drives what comes, as a plain multi loop would, so
//     a call started and awaited on one thread needs no other and callers never contend with
//     another driver. One thread pumps this way at a time. The transfers that the tasks it runs
//     between two waits start are added at once and sent together when it waits again or
//     leaves the queue's loop (the I/O thread sends them if a task runs long).
//   - The I/O thread (started with the session) drives whenever no pumping thread does (a host
//     that hands tasks to its own loop through `setExecutor`, or runs `runPending` from it, or
//     runs completions for long); while a thread drives in its wait, and for 5 ms after, it
//     stays out of the way.
//   - Whichever thread drives runs libcurl's callbacks and a finished transfer's `done`, which
//     only hands the outcome on (to `MainQueue`): the I/O thread never runs host code.
//   - Completions, log sinks and the host's callbacks run where `MainQueue` runs its tasks: on
//     the pumping thread, or through the queue's hand-over thread in the host's executor.
// Stopping (`Lumeno::shutdown()`, or static destruction when the host did not): first the
// session, if it was started (the I/O thread ends and joins, a pumping thread stops driving, the
// transfers in flight are dropped without their `done`); then the requests held for a re-login
// are dropped; then the main queue's executor. The main queue itself, created before the session,
// goes last (its hand-over thread with it).

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/service/http_request.hpp"
#include "lumeno/core/result.hpp"

namespace lumeno::detail {

using TransferId = std::uint64_t;
/// The outcome of a transfer: the reply, whatever its status, or an `underlying` failure
/// carrying the reply when one had arrived.
using TransferDone = std::move_only_function<void(Result<Response>&&)>;

/// The largest reply body the session takes; a longer one fails the transfer.
inline constexpr std::size_t maxReplyBody = std::size_t{64} << 20;

/// Sends `request`, pinned to the host of `baseURL`. `done` runs exactly once, on the thread
/// driving the session at the time (this one, a pumping one or the I/O thread), unless the
/// transfer is cancelled first; after `Lumeno::shutdown()` it runs at once,
/// on the calling thread, with a cancelled `underlying` failure. A base URL without a host
/// stops the process. Transfers are numbered from 1.
TransferId startTransfer(HttpRequest&& request, std::string_view baseURL, TransferDone&& done);

/// Abandons a transfer: it leaves the multi handle and its `done` never runs. Unknown or
/// finished transfers are ignored.
void cancelTransfer(TransferId id);

struct TransportTimeouts {
    std::chrono::milliseconds connect{30'000};
    std::chrono::milliseconds total{60'000};
};

/// Timeouts of the transfers started from now on (tests shorten them).
void setTransportTimeouts(TransportTimeouts timeouts);

/// Replaces the pinned roots by `pem` (one or more PEM certificates) for the transfers started
/// from now on; nullopt restores the embedded roots. Tests only.
void setPinnedRootsForTesting(std::optional<std::string> pem);

/// From now on, for the life of the process, transfers refuse to open a socket to any address
/// outside 127.0.0.0/8 and ::1, and count each refusal. Tests only: whatever the code under
/// test does, nothing leaves the machine.
void guardConnectionsForTesting();
/// The sockets the guard refused so far.
std::size_t refusedConnectionsForTesting();

}  // namespace lumeno::detail
