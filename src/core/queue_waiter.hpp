#pragma once

// How a thread pumping the main queue waits when it finds no task. The network session sets a
// waiter, so that the thread waiting for a reply drives the transfers itself (a call started and
// awaited on one thread then needs no other thread); without one, the thread blocks until a task
// is posted.

#include <chrono>
#include <functional>

#include "lumeno/core/main_queue.hpp"

namespace lumeno::detail {

struct QueueWaiter {
    /// Waits until the eventfd `posted` is readable (a task was posted), `until` passes, or it
    /// has done some of the transfers' work; it may return early, never late. It reads `posted`
    /// when it finds it readable, so that the next wait does not end at once.
    std::function<void(int posted, std::chrono::steady_clock::time_point until)> wait;
    /// The thread that waited leaves the queue's loop, or blocks other than in `wait`: what the
    /// tasks it ran since put off for its next `wait` (the transfers they started, sent together
    /// when it waits again) must go now.
    std::function<void()> leave;
};

/// Sets a copy of `waiter` (null: none). When this returns, a waiter it replaced is no longer
/// called.
void setQueueWaiter(const QueueWaiter* waiter);

}  // namespace lumeno::detail
