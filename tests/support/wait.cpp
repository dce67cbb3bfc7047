#include "support/wait.hpp"

#include "lumeno/core/main_queue.hpp"

namespace lumeno::test {

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    return MainQueue::shared().runUntil(done, timeout);
}

}  // namespace lumeno::test
