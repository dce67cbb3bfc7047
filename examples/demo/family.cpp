// The member's family group and the reference data for pick lists.
#include "demo/demo.hpp"

namespace lumeno::demo {

void showFamily(const std::string& memberId) {
    auto summary = await<FamilySummary>(
        [&](auto done) { LumenoRequest::getFamilySummary(std::nullopt, memberId, done); });
    const FamilySummary& family = orExit(summary, "Family summary");
    step() << "Family of " << family.size << " member(s), headed by " << family.head.value_or("nobody") << "\n";

    auto countries = await<std::vector<Country>>([](auto done) { LumenoRequest::getCountries(std::nullopt, done); });
    const auto& list = orExit(countries, "Countries");
    step() << list.size() << " countries to choose from";
    const char* separator = ": ";
    for (const auto& country : list) {
        std::cout << separator << country.name.value_or("?");
        separator = ", ";
    }
    std::cout << "\n";
}

}  // namespace lumeno::demo
