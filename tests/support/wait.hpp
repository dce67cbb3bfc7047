#pragma once

#include <chrono>
#include <functional>

namespace lumeno::test {

/// Pumps the shared main queue until `done()` holds; false after `timeout`.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace lumeno::test
