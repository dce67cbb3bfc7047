#include "lumeno/models/member/balances.hpp"

#include "lumeno/core/json/readers.hpp"

namespace lumeno {

PendingPointBalance PendingPointBalance::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    PendingPointBalance out;
    out.memberId = in.lenient<std::string>("member_id");
    out.accountId = in.lenient<std::string>("loyalty_account_id");
    out.totalPoints = in.strict<double>("total_points");
    out.availablePoints = in.strict<double>("available_points");
    out.pendingPoints = in.strict<double>("pending_points");
    return out;
}

LoyaltyBalance LoyaltyBalance::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    LoyaltyBalance out;
    out.id = in.lenient<std::string>("loyalty_account_id");
    out.redeemed = in.strict<float>("redeemed");
    out.rewarded = in.strict<float>("rewarded");
    out.balanceNew = in.strict<float>("new_balance");
    out.balanceOld = in.strict<float>("old_balance");
    return out;
}

BalanceTag BalanceTag::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    BalanceTag out;
    out.id = in.strict<std::int64_t>("id");
    out.name = in.lenient<std::string>("name");
    out.description = in.lenient<std::string>("description");
    return out;
}

}  // namespace lumeno
