#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "lumeno/core/main_queue.hpp"

using namespace std::chrono_literals;

TEST(MainQueue, RunsTasksFromManyThreadsInPostOrderPerThread) {
    lumeno::MainQueue queue;
    constexpr int threads = 4, perThread = 500;
    std::vector<std::vector<int>> seen(threads);
    std::vector<std::thread> posters;
    for (int t = 0; t < threads; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) queue.post([&, t, i] { seen[t].push_back(i); });
        });
    int total = 0;
    EXPECT_TRUE(queue.runUntil(
        [&] {
            total = 0;
            for (auto& s : seen) total += static_cast<int>(s.size());
            return total == threads * perThread;
        },
        10s));
    for (auto& p : posters) p.join();
    for (auto& s : seen) {
        ASSERT_EQ(s.size(), static_cast<std::size_t>(perThread));
        for (int i = 0; i < perThread; ++i) EXPECT_EQ(s[i], i);
    }
}

TEST(MainQueue, RunPendingRunsOnlyWhatWasQueued) {
    lumeno::MainQueue queue;
    int runs = 0;
    queue.post([&] {
        ++runs;
        queue.post([&] { ++runs; });
    });
    EXPECT_EQ(queue.runPending(), 1u);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(queue.runPending(), 1u);
    EXPECT_EQ(runs, 2);
}

TEST(MainQueue, RunUntilTimesOutWhenNothingArrives) {
    lumeno::MainQueue queue;
    EXPECT_FALSE(queue.runUntil([] { return false; }, 20ms));
}

TEST(MainQueue, ExecutorTakesQueuedAndLaterTasks) {
    lumeno::MainQueue queue;
    std::vector<int> order;
    queue.post([&] { order.push_back(1); });
    queue.setExecutor([](lumeno::MainQueue::Task task) { task(); });
    queue.post([&] { order.push_back(2); });
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    queue.setExecutor(nullptr);
    queue.post([&] { order.push_back(3); });
    EXPECT_EQ(order.size(), 2u);
    queue.runPending();
    EXPECT_EQ(order.size(), 3u);
}
