// What a host sees at the boundary: completions it owns, run once on the main queue.

#include <gtest/gtest.h>

#include <future>

#include "lumeno/api/lumeno_request.hpp"
#include "support/transport.hpp"
#include "support/wait.hpp"

using namespace lumeno;
using namespace std::chrono_literals;
using test::Reply;

namespace {

class HostBoundary : public ::testing::Test {
protected:
    void SetUp() override { test::useServer(server, "/api"); }
    void TearDown() override { test::resetTransport(); }
    test::FakeServer server;
};

TEST_F(HostBoundary, ACompletionMayHoldMoveOnlyState) {
    server.on("POST", "/api/members/exists/", Reply::json(R"({"exists":true,"validated":false})"));
    std::promise<Result<MemberStatus>> promise;
    auto future = promise.get_future();
    LumenoRequest::getMemberStatus("email", "ann", [promise = std::move(promise)](Result<MemberStatus> r) mutable {
        promise.set_value(std::move(r));
    });
    ASSERT_TRUE(test::waitFor([&] { return future.wait_for(0s) == std::future_status::ready; }));
    EXPECT_TRUE(future.get().value().exists);
}

}  // namespace
