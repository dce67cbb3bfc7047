#pragma once

// Point balances, balance changes and balance tags.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default).

#include <cstdint>
#include <optional>
#include <string>

#include "lumeno/core/json/record.hpp"

namespace lumeno {

/// The reply of the point-balance call.
struct PendingPointBalance {
    std::optional<std::string> memberId;   ///< "member_id", lenient
    std::optional<std::string> accountId;  ///< "loyalty_account_id", lenient
    double totalPoints = 0;                ///< "total_points", strict
    double availablePoints = 0;            ///< "available_points", strict
    double pendingPoints = 0;              ///< "pending_points", strict

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static PendingPointBalance decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<PendingPointBalance>::decode(json, decoder);
    }
};

/// The change of one loyalty account's balance. Does not use the decoding context.
struct LoyaltyBalance {
    std::optional<std::string> id;  ///< "loyalty_account_id", lenient
    float redeemed = 0;             ///< "redeemed", strict
    float rewarded = 0;             ///< "rewarded", strict
    float balanceNew = 0;           ///< "new_balance", strict
    float balanceOld = 0;           ///< "old_balance", strict

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static LoyaltyBalance decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<LoyaltyBalance>::decode(json, decoder);
    }
};

/// One balance tag of the loyalty programme.
struct BalanceTag {
    std::int64_t id = 0;                     ///< "id", strict
    std::optional<std::string> name;         ///< "name", lenient
    std::optional<std::string> description;  ///< "description", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static BalanceTag decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<BalanceTag>::decode(json, decoder);
    }
};

}  // namespace lumeno
