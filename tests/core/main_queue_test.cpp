#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "lumeno/core/main_queue.hpp"

using namespace std::chrono_literals;
using lumeno::MainQueue;

TEST(MainQueue, RunsTasksFromManyThreadsInPostOrderPerThread) {
    MainQueue queue;
    constexpr std::size_t threads = 4, perThread = 500;
    std::vector<std::vector<std::size_t>> seen(threads);
    std::size_t total = 0;
    std::vector<std::jthread> posters;
    for (std::size_t t = 0; t < threads; ++t)
        posters.emplace_back([&, t] {
            for (std::size_t i = 0; i < perThread; ++i)
                queue.post([&, t, i] {
                    seen[t].push_back(i);
                    ++total;
                });
        });
    EXPECT_TRUE(queue.runUntil([&] { return total == threads * perThread; }, 10s));
    for (const auto& s : seen)
        for (std::size_t i = 0; i < s.size(); ++i) ASSERT_EQ(s[i], i);
}

TEST(MainQueue, RunPendingRunsWhatWasQueuedAndKeepsWhatFollowsAThrowingTask) {
    MainQueue queue;
    std::vector<int> order;
    queue.post([&] {
        order.push_back(1);
        queue.post([&] { order.push_back(4); });
    });
    queue.post([] { throw std::runtime_error("host"); });
    queue.post([&] { order.push_back(3); });
    EXPECT_THROW(queue.runPending(), std::runtime_error);
    EXPECT_EQ(queue.runPending(), 2u);  // the task after the throwing one, then the one queued meanwhile
    EXPECT_EQ(order, (std::vector<int>{1, 3, 4}));
    EXPECT_FALSE(queue.runUntil([] { return false; }, 20ms));
}

TEST(MainQueue, AnExecutorTakesEveryTaskInPostOrderOffThePostingThreads) {
    MainQueue queue;
    std::vector<int> order;  // written by the executor's thread only
    std::atomic<int> ran = 0;
    std::thread::id executorThread;
    queue.post([&] {
        order.push_back(1);
        queue.post([&] { order.push_back(3); });  // posted while the queue is handed over: after 2
    });
    queue.post([&] { order.push_back(2); });
    queue.setExecutor([&](MainQueue::Task task) {
        executorThread = std::this_thread::get_id();
        task();
        ++ran;
    });
    EXPECT_TRUE(queue.runUntil([&] { return ran == 3; }, 10s));
    queue.setExecutor(nullptr);  // returns once the executor is out of use
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_NE(executorThread, std::this_thread::get_id());
    queue.post([&] { order.push_back(4); });
    EXPECT_EQ(queue.runPending(), 1u);
}

TEST(MainQueue, AThrowingExecutorIsReportedOnceAndHoldsUpNothing) {
    MainQueue queue;
    std::atomic<int> handed = 0;
    testing::internal::CaptureStderr();
    queue.setExecutor([&](MainQueue::Task) {
        ++handed;
        throw std::runtime_error("the host's loop is gone");
    });
    for (int i = 0; i < 3; ++i) queue.post([] {});
    EXPECT_TRUE(queue.runUntil([&] { return handed == 3; }, 10s));
    queue.setExecutor(nullptr);
    // Once per process: nothing when an earlier run in this process reported it.
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(reported.empty() || reported == "lumeno: the main queue's executor threw: the host's loop is gone\n")
        << reported;
}
