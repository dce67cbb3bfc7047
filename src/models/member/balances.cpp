#include "models/member/balances_keys.hpp"

namespace lumeno {

using namespace detail;

PendingPointBalance PendingPointBalance::decode(const JsonValue& json, const Decoder& decoder) {
    return pendingPointBalanceKeys.decode(json, decoder);
}

LoyaltyBalance LoyaltyBalance::decode(const JsonValue& json, const Decoder& decoder) {
    return loyaltyBalanceKeys.decode(json, decoder);
}

BalanceTag BalanceTag::decode(const JsonValue& json, const Decoder& decoder) {
    return balanceTagKeys.decode(json, decoder);
}

}  // namespace lumeno
