// What a host sees at the boundary: completions it owns, run once on the main queue; host code
// that never runs on the I/O thread; settings read once per request; a clean shutdown.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <random>
#include <thread>
#include <utility>

#include "lumeno/core/main_queue.hpp"
#include "lumeno/core/network_log.hpp"
#include "support/call_test.hpp"

using namespace lumeno;
using namespace std::chrono_literals;
using test::Reply;

namespace {

// Each reply closes its connection: with many calls at once, the server's few threads would
// otherwise sit on idle kept-alive ones.
const Reply kStatus(200, R"({"exists":true,"validated":false})",
                    {{"Content-Type", "application/json"}, {"Connection", "close"}});

class HostBoundary : public test::CallTest {
public:
    static Handle status(Completion<MemberStatus> completion) {
        return LumenoRequest::getMemberStatus("email", "ann", std::move(completion));
    }

protected:
    void SetUp() override {
        CallTest::SetUp();
        server.on("POST", "/api/members/exists/", kStatus);
    }
};

TEST_F(HostBoundary, ACompletionMayHoldMoveOnlyState) {
    std::promise<Result<MemberStatus>> promise;
    auto future = promise.get_future();
    status([promise = std::move(promise)](Result<MemberStatus> r) mutable { promise.set_value(std::move(r)); });
    ASSERT_TRUE(test::waitFor([&] { return future.wait_for(0s) == std::future_status::ready; }));
    EXPECT_TRUE(future.get().value().exists);
}

TEST_F(HostBoundary, ABlockingExecutorAndAThrowingLogSinkHoldUpNoTransfer) {
    std::mutex mutex;
    std::condition_variable changed;
    int requests = 0;
    bool blocked = false, release = false;
    std::thread::id executorThread;
    std::vector<std::thread::id> sinkThreads;
    server.on("POST", "/api/members/exists/", [&](const test::RecordedRequest&) {
        std::lock_guard lock(mutex);
        ++requests;
        changed.notify_all();
        return kStatus;
    });
    setNetworkLogSink([&](std::string_view) {
        std::lock_guard lock(mutex);
        sinkThreads.push_back(std::this_thread::get_id());
        throw std::runtime_error("the sink is down");
    });
    Lumeno::shared().updateSettings([](LumenoSettings& settings) { settings.apiLogsEnabled = true; });
    MainQueue::shared().setExecutor([&](MainQueue::Task task) {
        std::unique_lock lock(mutex);
        executorThread = std::this_thread::get_id();
        blocked = true;
        changed.notify_all();
        changed.wait(lock, [&] { return release; });
        lock.unlock();
        task();
    });
    testing::internal::CaptureStderr();
    std::atomic<int> completed = 0;
    status([&](auto) { ++completed; });
    {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, 10s, [&] { return blocked; }));  // on the first completion
    }
    status([&](auto) { ++completed; });
    {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, 10s, [&] { return requests == 2; }));  // sent while the executor blocks
        release = true;
        changed.notify_all();
    }
    EXPECT_TRUE(test::waitFor([&] { return completed == 2; }));
    MainQueue::shared().setExecutor(nullptr);
    setNetworkLogSink(nullptr);
    // Once per process: nothing when an earlier run in this process reported it.
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(reported.empty() || reported == "lumeno: the network-log sink threw: the sink is down\n") << reported;
    ASSERT_EQ(sinkThreads.size(), 4u);  // each request, then each outcome
    for (const auto thread : sinkThreads) EXPECT_TRUE(thread == std::this_thread::get_id() || thread == executorThread);
}

TEST_F(HostBoundary, EachRequestReadsOneSnapshotOfTheSettings) {
    // The gateway and the API key change together, to texts of other lengths, while calls go out.
    server.on("POST", "/other/members/exists/", kStatus);
    const std::string otherKey(100, 'k');
    std::atomic<bool> stop = false;
    std::jthread changer([&] {
        for (int i = 0; !stop; ++i)
            Lumeno::shared().updateSettings([&](LumenoSettings& settings) {
                settings.tenant = server.url(i % 2 ? "/other" : "/api");
                settings.apiKey = i % 2 ? otherKey : "key";
            });
    });
    constexpr int count = 500;
    std::atomic<int> completed = 0;
    for (int i = 0; i < count; ++i) status([&](auto) { ++completed; });
    EXPECT_TRUE(test::waitFor([&] { return completed == count; }));
    stop = true;
    for (const auto& request : server.requests())
        EXPECT_EQ(request.path.starts_with("/other/"), request.headers.find("x-api-key") == otherKey) << request.path;
}

TEST_F(HostBoundary, DotSegmentsInPathValuesAreRefusedAndNothingIsSent) {
    server.otherwise(Reply::json(R"({"data":{}})"));
    // A value holding "/" stays one segment ("%2F"): nothing in it is a dot segment.
    const std::pair<const char*, bool> ids[] = {
        {"..", true}, {".", true}, {"a/../b", false}, {"a/./b", false}, {"../x", false}, {"x/..", false},
        {"...", false}, {"a..b", false}, {".x", false}, {"a/b", false},
    };
    for (const auto& [id, refused] : ids) {
        const std::size_t before = server.requestCount();
        std::optional<Result<MemberDetails>> result;
        LumenoRequest::getMemberDetails("t", id, [&](Result<MemberDetails> r) { result = std::move(r); });
        ASSERT_TRUE(test::waitFor([&] { return result.has_value(); })) << id;
        EXPECT_EQ(!*result && result->error().kind() == LumenoError::Kind::requestMapping, refused) << id;
        EXPECT_EQ(server.requestCount() - before, refused ? 0u : 1u) << id;
    }
}

TEST_F(HostBoundary, AThousandCallsHalfCancelledFromAnotherThreadEachCompleteOnce) {
    constexpr std::size_t count = 1000;
    std::vector<int> completions(count);  // touched on the main queue only
    std::vector<Handle> handles;
    std::vector<std::weak_ptr<Cancellable>> calls;
    for (std::size_t i = 0; i < count; ++i) {
        handles.push_back(status([&, i](auto) { ++completions[i]; }));
        calls.push_back(handles.back());
    }
    std::jthread canceller([handles = std::move(handles)]() mutable {
        std::ranges::shuffle(handles, std::mt19937(7));
        for (std::size_t i = 0; i < count / 2; ++i) handles[i]->cancel();
        handles.clear();
    });
    EXPECT_TRUE(test::waitFor([&] { return std::ranges::count(completions, 0) == 0; }));
    canceller.join();
    test::settle();
    EXPECT_EQ(std::ranges::count(completions, 1), count);
    EXPECT_TRUE(test::waitFor([&] { return std::ranges::all_of(calls, [](const auto& c) { return c.expired(); }); }));
}

/// Shuts the library down with two calls in flight, one of them still held by the host, then
/// cancels the held one and makes one more: true when the calls in flight were dropped (the
/// cancel after the shutdown queued nothing), the executor never ran again, and the new call
/// failed as cancelled.
bool shutDownWithACallInFlight(test::FakeServer& server) {
    std::mutex mutex;
    std::condition_variable arrived;
    int sent = 0;
    server.on("POST", "/api/members/exists/", [&](const test::RecordedRequest&) {
        std::lock_guard lock(mutex);
        ++sent;
        arrived.notify_all();
        return Reply(kStatus).after(30s);
    });
    std::atomic<int> handedOver = 0;
    int completed = 0;
    MainQueue::shared().setExecutor([&](MainQueue::Task task) {
        ++handedOver;
        task();
    });
    const std::weak_ptr<Cancellable> inFlight = HostBoundary::status([&](auto) { ++completed; });
    const Handle held = HostBoundary::status([&](auto) { ++completed; });
    {
        // Both requests at the server, none still being read when the process exits.
        std::unique_lock lock(mutex);
        arrived.wait(lock, [&] { return sent == 2; });
    }
    Lumeno::shutdown();  // at once, though the replies are 30 seconds away
    held->cancel();
    std::optional<Result<MemberStatus>> late;
    const Handle refused = HostBoundary::status([&](Result<MemberStatus> r) { late = std::move(r); });
    MainQueue::shared().runPending();  // no executor any more: the refusal waits on the queue
    return handedOver == 0 && completed == 0 && inFlight.expired() && !held->isCancelled() && late && !*late &&
           late->error().isCancellation() && !refused->isCancelled();
}

/// The threads of the process.
std::size_t threadCount() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                                  std::filesystem::directory_iterator{}));
}

/// Shuts the library down before its first call, then makes one: true when no thread started
/// (neither to stop the network session nor for the refused call) and the call failed as
/// cancelled.
bool shutDownBeforeTheFirstCall() {
    // The fake server's pool starts its workers after the server reports running: count once
    // the number has held for 100 ms (5 s at most), so that only threads of the library differ.
    std::size_t threads = threadCount();
    for (int still = 0, tries = 0; still < 10 && tries < 500; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const std::size_t now = std::exchange(threads, threadCount());
        still = now == threads ? still + 1 : 0;
    }
    Lumeno::shutdown();
    std::optional<Result<MemberStatus>> late;
    HostBoundary::status([&](Result<MemberStatus> r) { late = std::move(r); });
    MainQueue::shared().runPending();
    return threadCount() == threads && late && !*late && late->error().isCancellation();
}

using HostBoundaryDeathTest = HostBoundary;

TEST_F(HostBoundaryDeathTest, ShutdownBeforeTheFirstCallRefusesCallsAndStartsNoThread) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(shutDownBeforeTheFirstCall() ? 0 : 1), testing::ExitedWithCode(0), "");
}

TEST_F(HostBoundaryDeathTest, ShutdownDropsTheCallsInFlightAndRefusesNewOnes) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(shutDownWithACallInFlight(server) ? 0 : 1), testing::ExitedWithCode(0), "");
}

}  // namespace
