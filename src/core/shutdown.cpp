#include "core/shutdown.hpp"

#include <array>
#include <mutex>

namespace lumeno::detail {
namespace {

struct Steps {
    std::mutex mutex;
    bool shutDown = false;
    std::array<std::function<void()>, static_cast<std::size_t>(ShutdownStep::heldRequests) + 1> actions;

    static Steps& shared() {
        static Steps steps;
        return steps;
    }
};

}  // namespace

bool onShutdown(ShutdownStep step, std::function<void()> action) {
    Steps& steps = Steps::shared();
    std::lock_guard lock(steps.mutex);
    if (steps.shutDown) return false;
    steps.actions.at(static_cast<std::size_t>(step)) = std::move(action);
    return true;
}

void runShutdown() {
    Steps& steps = Steps::shared();
    decltype(steps.actions) actions;
    {
        std::lock_guard lock(steps.mutex);
        if (steps.shutDown) return;
        steps.shutDown = true;
        actions.swap(steps.actions);
    }
    for (auto& action : actions)
        if (action) action();
}

bool hasShutDown() {
    Steps& steps = Steps::shared();
    std::lock_guard lock(steps.mutex);
    return steps.shutDown;
}

}  // namespace lumeno::detail
