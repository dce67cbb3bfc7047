// The first pages of offers, and the wish list.
#include "demo/demo.hpp"

namespace lumeno::demo {

namespace {

using OfferPage = PaginatedResponse<std::vector<Offer>>;

std::string sponsorOf(const Offer& offer) {
    if (offer.primarySponsorData && offer.primarySponsorData->name) return *offer.primarySponsorData->name;
    return offer.primarySponsor;
}

}  // namespace

void showOffers(const std::string& memberId) {
    const DateFormatter day("d MMM yyyy", "en_US_POSIX", "UTC");
    auto first = await<OfferPage>([](auto done) { LumenoRequest::getOffers(std::nullopt, 50, done); });
    const OfferPage& page = orExit(first, "Offers");
    step() << "Offers: " << page.content.size() << " on the first page" << (page.nextCursor ? ", more to come" : "")
           << "\n";
    for (std::size_t i = 0; i < std::min<std::size_t>(3, page.content.size()); ++i) {
        const Offer& offer = page.content[i];
        std::cout << "   " << offer.name.value_or("?") << " - " << sponsorOf(offer) << ", until "
                  << day.string(offer.endDate) << "\n";
    }
    if (!page.nextCursor || page.content.empty()) {
        std::cerr << "The first page has no next page.\n";
        std::exit(1);
    }

    // The cursor is a whole URL: it goes back unchanged.
    auto second = await<OfferPage>(
        [&](auto done) { LumenoRequest::getOffersFromCursor(std::nullopt, *page.nextCursor, done); });
    const OfferPage& next = orExit(second, "Next page");
    step() << "Next page: " << next.content.size() << " offers, from \""
           << (next.content.empty() ? "-" : next.content.front().name.value_or("?")) << "\"\n";

    const Offer& pick = page.content.front();
    auto added = await<WishlistUpdateResponse>(
        [&](auto done) { LumenoRequest::addToWishList(std::nullopt, memberId, {pick.id}, done); });
    orExit(added, "Wish list");
    auto wishlist =
        await<std::vector<Offer>>([&](auto done) { LumenoRequest::getWishlist(std::nullopt, memberId, done); });
    step() << "Wish list after adding offer " << pick.id << ":";
    for (const Offer& offer : orExit(wishlist, "Wish list")) std::cout << " \"" << offer.name.value_or("?") << "\"";
    std::cout << "\n";
}

}  // namespace lumeno::demo
