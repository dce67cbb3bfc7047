// A host's first call, for the call benchmark's start-up row: set up the library, make one
// `getPointBalance` call to the gateway given, and print the monotonic clock when it completes.

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "lumeno/api/lumeno_request.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/main_queue.hpp"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    lumeno::LumenoConfig config;
    config.tenant = argv[1];
    config.baseURL = "https://127.0.0.1";
    config.apiKey = "bench-key";
    config.tokenType = "JWT";
    lumeno::Lumeno::shared().apply(config);
    bool ok = false, done = false;
    lumeno::LumenoRequest::getPointBalance("bench-token", "M1", 12, [&](auto result) {
        ok = result.has_value();
        done = true;
    });
    lumeno::MainQueue::shared().runUntil([&] { return done; }, std::chrono::seconds(30));
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%ld.%09ld\n", static_cast<long>(now.tv_sec), now.tv_nsec);
    return ok ? 0 : 1;
}
