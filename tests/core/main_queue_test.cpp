#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "lumeno/core/main_queue.hpp"

using namespace std::chrono_literals;

TEST(MainQueue, RunsTasksFromManyThreadsInPostOrderPerThread) {
    lumeno::MainQueue queue;
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

TEST(MainQueue, RunPendingRunsWhatWasQueuedAndAnExecutorTakesOver) {
    lumeno::MainQueue queue;
    std::vector<int> order;
    queue.post([&] {
        order.push_back(1);
        queue.post([&] { order.push_back(2); });
    });
    EXPECT_EQ(queue.runPending(), 1u);  // not the task queued meanwhile
    queue.setExecutor([](lumeno::MainQueue::Task task) { task(); });
    queue.post([&] { order.push_back(3); });
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    queue.setExecutor(nullptr);
    queue.post([&] { order.push_back(4); });
    EXPECT_EQ(order.size(), 3u);
    EXPECT_EQ(queue.runPending(), 1u);
    EXPECT_FALSE(queue.runUntil([] { return false; }, 20ms));
}
