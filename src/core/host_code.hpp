#pragma once

#include <atomic>
#include <cstdio>
#include <exception>
#include <string_view>

namespace lumeno::detail {

/// Runs host code that the library hands work to (the main queue's executor, the network-log
/// sink). An exception it throws stops there: the first one of each kind is reported on stderr
/// as "lumeno: <what> threw: <message>", later ones stay quiet.
template <class Call>
void callHost(std::atomic_flag& reported, std::string_view what, Call&& call) noexcept {
    const auto report = [&](const char* message) {
        if (!reported.test_and_set())
            std::fprintf(stderr, "lumeno: %.*s threw: %s\n", static_cast<int>(what.size()), what.data(), message);
    };
    try {
        call();
    } catch (const std::exception& error) {
        report(error.what());
    } catch (...) {
        report("an exception of unknown type");
    }
}

}  // namespace lumeno::detail
