#include "lumeno/core/main_queue.hpp"

#include <atomic>

#include "core/host_code.hpp"

namespace lumeno {

MainQueue& MainQueue::shared() {
    static MainQueue queue;
    return queue;
}

MainQueue::~MainQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (!handOverThread_.joinable()) return;
    if (std::this_thread::get_id() == handOverThread_.get_id())
        handOverThread_.detach();  // the process is exiting from inside a task the executor ran
    else
        handOverThread_.join();
}

void MainQueue::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    changed_.notify_all();
}

std::size_t MainQueue::runPending() {
    std::deque<Task> batch;
    {
        std::lock_guard lock(mutex_);
        if (!executor_) batch.swap(tasks_);
    }
    std::size_t ran = 0;
    try {
        for (; ran < batch.size(); ++ran) batch[ran]();
    } catch (...) {
        std::lock_guard lock(mutex_);
        tasks_.insert(tasks_.begin(), std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(ran) + 1),
                      std::make_move_iterator(batch.end()));
        throw;
    }
    return ran;
}

bool MainQueue::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    while (true) {
        const std::uint64_t handedOver = handOvers_;  // taken before `done()`: no hand-over goes unseen
        lock.unlock();
        if (done()) return true;
        lock.lock();
        if (executor_) {
            // The executor runs the tasks; look at `done()` again after its next one.
            if (!changed_.wait_until(lock, deadline, [&] { return handOvers_ != handedOver || !executor_; })) break;
            continue;
        }
        if (!changed_.wait_until(lock, deadline, [this] { return executor_ || !tasks_.empty(); })) break;
        if (executor_) continue;
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
    lock.unlock();
    return done();
}

void MainQueue::setExecutor(Executor executor) {
    std::unique_lock lock(mutex_);
    executor_ = executor ? std::make_shared<const Executor>(std::move(executor)) : nullptr;
    if (executor_ && !handOverThread_.joinable()) handOverThread_ = std::thread([this] { handOver(); });
    changed_.notify_all();
    if (handingOver_ && std::this_thread::get_id() != handOverThread_.get_id()) {
        const std::uint64_t inProgress = handOvers_;  // the hand-over that may still use the old executor
        changed_.wait(lock, [&] { return handOvers_ != inProgress; });
    }
}

void MainQueue::handOver() {
    static std::atomic_flag reported;
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return stopping_ || (executor_ && !tasks_.empty()); });
        if (stopping_) return;
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        const auto executor = executor_;
        handingOver_ = true;
        lock.unlock();
        detail::callHost(reported, "the main queue's executor", [&] { (*executor)(std::move(task)); });
        lock.lock();
        handingOver_ = false;
        ++handOvers_;
        changed_.notify_all();
    }
}

}  // namespace lumeno
