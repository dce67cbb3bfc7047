#include "lumeno/core/main_queue.hpp"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include <sys/eventfd.h>
#include <unistd.h>

#include "core/host_code.hpp"
#include "core/queue_waiter.hpp"

namespace lumeno {

struct MainQueue::State {
    void handOver();
    /// Wakes the thread waiting through the queue waiter, unless that is the caller.
    void wakeWaiter() const;

    int posted = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);  ///< readable while a waiter should look again
    std::shared_ptr<const detail::QueueWaiter> waiter;      ///< the transport's, while it runs
    std::thread::id waiting;  ///< the thread inside the waiter; none when nobody is

    std::mutex mutex;
    std::condition_variable changed;  ///< a task queued or handed over, the executor changed
    std::deque<Task> tasks;
    std::shared_ptr<const Executor> executor;
    bool handingOver = false;   ///< the hand-over thread is inside the executor
    std::uint64_t handOvers = 0;  ///< hand-overs finished so far
    bool stopping = false;
    std::thread handOverThread;  ///< started with the first executor
};

MainQueue& MainQueue::shared() {
    static MainQueue queue;
    return queue;
}

MainQueue::MainQueue() : state_(std::make_unique<State>()) {}

MainQueue::~MainQueue() {
    State& s = *state_;
    close(s.posted);
    {
        std::lock_guard lock(s.mutex);
        s.stopping = true;
    }
    s.changed.notify_all();
    if (!s.handOverThread.joinable()) return;
    if (std::this_thread::get_id() == s.handOverThread.get_id())
        s.handOverThread.detach();  // the process is exiting from inside a task the executor ran
    else
        s.handOverThread.join();
}

void MainQueue::post(Task task) {
    State& s = *state_;
    {
        std::lock_guard lock(s.mutex);
        s.tasks.push_back(std::move(task));
        s.wakeWaiter();
    }
    s.changed.notify_all();
}

void MainQueue::State::wakeWaiter() const {
    if (waiting == std::thread::id() || waiting == std::this_thread::get_id()) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(posted, &one, sizeof one);
}

namespace detail {

void setQueueWaiter(const QueueWaiter* waiter) {
    MainQueue::State& s = *MainQueue::shared().state_;
    std::unique_lock lock(s.mutex);
    s.waiter = waiter ? std::make_shared<const QueueWaiter>(*waiter) : nullptr;
    s.wakeWaiter();
    s.changed.wait(lock, [&] { return s.waiting == std::thread::id() || s.waiting == std::this_thread::get_id(); });
}

}  // namespace detail

std::size_t MainQueue::runPending() {
    State& s = *state_;
    std::deque<Task> batch;
    {
        std::lock_guard lock(s.mutex);
        if (!s.executor) batch.swap(s.tasks);
    }
    std::size_t ran = 0;
    try {
        for (; ran < batch.size(); ++ran) batch[ran]();
    } catch (...) {
        std::lock_guard lock(s.mutex);
        s.tasks.insert(s.tasks.begin(), std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(ran) + 1),
                       std::make_move_iterator(batch.end()));
        throw;
    }
    return ran;
}

bool MainQueue::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    State& s = *state_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    // The waiter this thread last waited in, until it is told the thread left the loop (when it
    // returns, however, or before it blocks elsewhere).
    struct Leaving {
        std::shared_ptr<const detail::QueueWaiter> waiter;
        void operator()() {
            if (waiter) std::exchange(waiter, nullptr)->leave();
        }
        ~Leaving() { (*this)(); }
    } leave;
    std::unique_lock lock(s.mutex);
    // Tells the waiter, if need be, before the thread blocks other than in it.
    const auto leaveBeforeBlocking = [&] {
        if (!leave.waiter) return false;
        lock.unlock();
        leave();
        lock.lock();
        return true;  // things may have changed meanwhile: look again
    };
    while (true) {
        const std::uint64_t handedOver = s.handOvers;  // taken before `done()`: no hand-over goes unseen
        lock.unlock();
        if (done()) return true;
        lock.lock();
        if (s.executor) {
            if (leaveBeforeBlocking()) continue;
            // The executor runs the tasks; look at `done()` again after its next one.
            if (!s.changed.wait_until(lock, deadline, [&] { return s.handOvers != handedOver || !s.executor; }))
                break;
            continue;
        }
        if (s.tasks.empty() && s.waiter && s.waiting == std::thread::id()) {
            // Drive the transfers while waiting, instead of waiting for the I/O thread to.
            leave.waiter = s.waiter;
            s.waiting = std::this_thread::get_id();
            lock.unlock();
            leave.waiter->wait(s.posted, deadline);  // it reads `posted` when it sees it readable
            lock.lock();
            s.waiting = {};
            s.changed.notify_all();
            if (s.tasks.empty() && std::chrono::steady_clock::now() >= deadline) break;
            continue;
        }
        if (s.tasks.empty() && leaveBeforeBlocking()) continue;
        if (!s.changed.wait_until(lock, deadline, [&] { return s.executor || !s.tasks.empty(); })) break;
        if (s.executor) continue;
        Task task = std::move(s.tasks.front());
        s.tasks.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
    lock.unlock();
    return done();
}

void MainQueue::setExecutor(Executor executor) {
    State& s = *state_;
    std::unique_lock lock(s.mutex);
    s.executor = executor ? std::make_shared<const Executor>(std::move(executor)) : nullptr;
    if (s.executor && !s.handOverThread.joinable()) s.handOverThread = std::thread([&s] { s.handOver(); });
    s.changed.notify_all();
    if (s.handingOver && std::this_thread::get_id() != s.handOverThread.get_id()) {
        const std::uint64_t inProgress = s.handOvers;  // the hand-over that may still use the old executor
        s.changed.wait(lock, [&] { return s.handOvers != inProgress; });
    }
}

void MainQueue::State::handOver() {
    static std::atomic_flag reported;
    std::unique_lock lock(mutex);
    while (true) {
        changed.wait(lock, [this] { return stopping || (executor && !tasks.empty()); });
        if (stopping) return;
        Task task = std::move(tasks.front());
        tasks.pop_front();
        const auto current = executor;
        handingOver = true;
        lock.unlock();
        detail::callHost(reported, "the main queue's executor", [&] { (*current)(std::move(task)); });
        lock.lock();
        handingOver = false;
        ++handOvers;
        changed.notify_all();
    }
}

}  // namespace lumeno
