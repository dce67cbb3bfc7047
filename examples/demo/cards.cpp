// The member's cards and privileges, and the sponsors near a point.
#include <iomanip>

#include "demo/demo.hpp"

namespace lumeno::demo {

void showCards(const std::string& memberId) {
    auto cards = await<std::vector<CardDetails>>(
        [&](auto done) { LumenoRequest::getMemberCards(std::nullopt, memberId, done); });
    step() << "Cards";
    for (const auto& card : orExit(cards, "Cards"))
        std::cout << " | " << card.number.value_or("?") << " (" << card.status.value_or("?") << ")";
    std::cout << "\n";

    using Page = PaginatedResponse<std::vector<Promotion>>;
    auto first = await<Page>([&](auto done) { LumenoRequest::getMemberPrivileges(std::nullopt, memberId, 5, done); });
    const Page& page = orExit(first, "Privileges");
    step() << "First privileges:";
    const char* separator = " ";
    for (const auto& privilege : page.content) {
        std::cout << separator << privilege.privilegeCode << " " << privilege.productName.value_or("?");
        separator = "; ";
    }
    std::cout << "\n";
    if (page.nextCursor) {
        auto next = await<Page>(
            [&](auto done) { LumenoRequest::getMemberPrivileges(std::nullopt, *page.nextCursor, done); });
        step() << orExit(next, "Next privileges").content.size() << " more on the next page\n";
    }

    // Soho, London.
    const JsonObject point{{"latitude", 51.5136}, {"longitude", -0.1365}, {"radius", 2}, {"limit", 3}};
    auto nearest = await<std::vector<SponsorLocation>>(
        [&](auto done) { LumenoRequest::getLocationBasedOffers(std::nullopt, point, done); });
    step() << "Sponsors nearest to 51.5136, -0.1365:" << std::fixed << std::setprecision(2);
    separator = " ";
    for (const auto& location : orExit(nearest, "Nearby sponsors")) {
        std::cout << separator << location.sponsorName.value_or("?") << " (" << location.distance << " km)";
        separator = "; ";
    }
    std::cout << std::defaultfloat << "\n";
}

}  // namespace lumeno::demo
