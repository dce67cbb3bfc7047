#include "lumeno/core/main_queue.hpp"

namespace lumeno {

MainQueue& MainQueue::shared() {
    static MainQueue queue;
    return queue;
}

void MainQueue::post(Task task) {
    std::unique_lock lock(mutex_);
    if (executor_) {
        Executor executor = executor_;
        lock.unlock();
        executor(std::move(task));
        return;
    }
    tasks_.push_back(std::move(task));
    lock.unlock();
    ready_.notify_all();
}

std::size_t MainQueue::runPending() {
    std::deque<Task> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(tasks_);
    }
    for (auto& task : batch) task();
    return batch.size();
}

bool MainQueue::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            if (!ready_.wait_until(lock, deadline, [this] { return !tasks_.empty(); })) return done();
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
    return true;
}

void MainQueue::setExecutor(Executor executor) {
    std::deque<Task> queued;
    {
        std::lock_guard lock(mutex_);
        executor_ = executor;
        if (executor_) queued.swap(tasks_);
    }
    for (auto& task : queued) executor(std::move(task));
}

}  // namespace lumeno
