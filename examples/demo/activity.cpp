// The member's latest activity, a point transfer and the balance it leaves.
#include <iomanip>

#include "demo/demo.hpp"

namespace lumeno::demo {

namespace {

/// The activity's type from its header ("PURCHASE", "POINTS_TRANSFER", ...), else its category.
std::string typeOf(const LumenoBit& bit) {
    if (bit.header)
        for (const auto& attribute : bit.header->customAttributes)
            if (attribute.key == "h_bit_type") return attribute.value;
    return bit.category.value_or("?");
}

/// The points the activity added to (or took from) the member's balances.
double pointsOf(const LumenoBit& bit) {
    double points = 0;
    for (const auto& change : bit.loyaltyBalances) points += change.rewarded - change.redeemed;
    return points;
}

double availablePoints(const std::string& memberId) {
    auto balance = await<PendingPointBalance>(
        [&](auto done) { LumenoRequest::getPointBalance(std::nullopt, memberId, 1, done); });
    return orExit(balance, "Point balance").availablePoints;
}

}  // namespace

void showActivity(const std::string& memberId) {
    auto latest = await<PaginatedResponse<std::vector<LumenoBit>>>(
        [&](auto done) { LumenoRequest::getBITs(std::nullopt, memberId, JsonObject{}, 5, done); });
    const auto& page = orExit(latest, "Activity");
    step() << "Latest " << page.content.size() << " activities" << (page.nextCursor ? " (more behind the cursor)" : "")
           << ":\n";
    for (const auto& bit : page.content)
        std::cout << "   " << std::left << std::setw(33) << bit.dateString.value_or("-") << std::setw(18) << typeOf(bit)
                  << std::right << std::showpos << std::setw(6) << pointsOf(bit) << std::noshowpos << "\n";

    const double before = availablePoints(memberId);
    const std::string recipient = "M-1002";
    auto transfer = await<BitResponse>(
        [&](auto done) { LumenoRequest::performPointTransfer(std::nullopt, memberId, recipient, 100, done); });
    const BitResponse& reply = orExit(transfer, "Point transfer");
    step() << "Sent 100 points to " << recipient << ": " << reply.status.value_or("-") << ", activity "
           << reply.bitId.value_or("-") << " dated "
           << (reply.originalBit ? reply.originalBit->dateString.value_or("-") : "-") << "\n";

    step() << "Available points: " << before << " before the transfer, " << availablePoints(memberId) << " now\n";
}

}  // namespace lumeno::demo
