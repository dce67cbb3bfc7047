#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace lumeno {

/// The host's main queue. Every completion and every reply handler of the library runs here,
/// in order, one at a time. The host either pumps the queue from its main thread
/// (`runPending`, `runUntil`) or hands each task to its own event loop (`setExecutor`).
class MainQueue {
public:
    /// Move-only, like the completions it carries: an executor that keeps tasks in copyable
    /// wrappers holds each one through a `std::shared_ptr`.
    using Task = std::move_only_function<void()>;
    using Executor = std::function<void(Task)>;

    static MainQueue& shared();

    /// Queues a task; safe from any thread.
    void post(Task task);

    /// Runs the tasks queued so far (not those they queue); returns how many ran.
    std::size_t runPending();

    /// Runs tasks as they arrive until `done()` holds or `timeout` passes; returns `done()`.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    /// From now on tasks go to `executor` instead of the queue (nullptr restores the queue).
    /// Tasks already queued are handed over at once, in order.
    void setExecutor(Executor executor);

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Task> tasks_;
    Executor executor_;
};

}  // namespace lumeno
