#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "lumeno/export.hpp"

namespace lumeno {

class MainQueue;
namespace detail {
/// How a thread pumping the main queue waits when it finds no task; set by the library's network
/// session, never by a host.
struct QueueWaiter;
LUMENO_EXPORT void setQueueWaiter(const QueueWaiter* waiter);
}  // namespace detail

/// The host's main queue. Every completion and every reply handler of the library runs here,
/// in order, one at a time. The host either pumps the queue from its main thread
/// (`runPending`, `runUntil`) or hands each task to its own event loop (`setExecutor`).
class LUMENO_EXPORT MainQueue {
public:
    /// Move-only, like the completions it carries: an executor that keeps tasks in copyable
    /// wrappers holds each one through a `std::shared_ptr`.
    using Task = std::move_only_function<void()>;
    /// Takes one task and runs it, now or later, on the host's loop.
    using Executor = std::function<void(Task)>;

    /// The queue every completion of the library goes to.
    static MainQueue& shared();

    MainQueue();
    ~MainQueue();
    MainQueue(const MainQueue&) = delete;
    MainQueue& operator=(const MainQueue&) = delete;

    /// Queues a task; safe from any thread. Never calls host code: it queues and wakes whoever
    /// takes the tasks (a pumping thread, or the executor's hand-over thread).
    void post(Task task);

    /// Runs the tasks queued so far (not those they queue); returns how many ran. When a task
    /// throws, the ones after it go back to the front of the queue, in order, before the
    /// exception leaves. Runs nothing while an executor is set.
    std::size_t runPending();

    /// Runs tasks as they arrive until `done()` holds or `timeout` passes; returns `done()`.
    /// While it waits for a task, the calling thread drives the library's transfers itself, so
    /// that a call awaited here needs no hand-off between threads. While an executor is set it
    /// runs nothing and only waits for `done()`, which it checks after each task the executor
    /// takes.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    /// From now on tasks go to `executor` instead of the queue (nullptr restores the queue).
    /// A thread of the queue's own calls the executor, one task at a time, in the order of
    /// posting, the tasks already queued first, so that neither a blocking nor a throwing
    /// executor holds up a transfer. An exception from the executor is reported once on stderr;
    /// the task it was given is lost. When this returns, the executor it replaced is no longer
    /// in use (unless this is called from inside it): an executor must therefore not wait for
    /// the thread that replaces it.
    void setExecutor(Executor executor);

private:
    friend void detail::setQueueWaiter(const detail::QueueWaiter*);
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace lumeno
