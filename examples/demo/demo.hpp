#pragma once

// The demo's pieces: each area of the API shows its calls against the sandbox gateway in a
// file of its own; `main` runs them in order.

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "lumeno/lumeno.hpp"

namespace lumeno::demo {

/// Runs one call and pumps the main queue until its completion has run.
template <class T, class Call>
Result<T> await(Call call) {
    std::optional<Result<T>> result;
    call([&](Result<T> r) { result = std::move(r); });
    if (!MainQueue::shared().runUntil([&] { return result.has_value(); }, std::chrono::seconds(10))) {
        std::cerr << "No reply within 10 seconds.\n";
        std::exit(1);
    }
    return std::move(*result);
}

/// The value, or the failure printed and the demo ended.
template <class T>
const T& orExit(const Result<T>& result, std::string_view what) {
    if (!result) {
        std::cerr << what << " failed: " << result.error().description() << "\n";
        std::exit(1);
    }
    return *result;
}

/// Starts the next numbered line of the demo's output.
std::ostream& step();

// The areas, in the order the demo runs them.

/// Checks the member, logs in, shows the stored session, the profile and balances, and a
/// refused login. Returns the member's id.
std::string showMember();

/// Shows the member's latest five activities, sends 100 points to another member and shows
/// the balance again.
void showActivity(const std::string& memberId);
/// Shows the member's family summary and how many countries the pick lists offer.
void showFamily(const std::string& memberId);

}  // namespace lumeno::demo
