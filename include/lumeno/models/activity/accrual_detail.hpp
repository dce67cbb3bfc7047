#pragma once

// Accruals of points and the redemptions that consumed them, decoded only.
//
// Every key is lenient: absent, null or a value of another type gives the field's default
// below (an integer field takes only integral numbers; a list with one bad element is empty).
// A record fails only when its value is not a JSON object. Neither record uses the decoding
// context.
//
// Each date is kept as the text received and as an instant parsed with the activity formats
// "yyyy-MM-dd'T'HH:mm:ssZ" and "yyyy-MM-dd'T'HH:mm:ss.SSSSSSZ" in the programme's time zone;
// an absent or unparsable text gives `kFallbackDate` (one second after 1970-01-01T00:00:00Z).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/date_utils.hpp"
#include "lumeno/core/json/record.hpp"

namespace lumeno {

/// One redemption of points from an accrual.
struct RedemptionDetail {
    std::int64_t id = 0;                             ///< "id"
    std::int64_t accountId = 0;                      ///< "account_id"
    std::optional<std::string> redemptionDateString; ///< "redemption_date"
    Date redemptionDate = kFallbackDate;             ///< parsed from `redemptionDateString`
    std::optional<std::string> memberID;             ///< "member_id"
    std::int64_t bitID = 0;                          ///< "bit_id"
    std::int64_t pointsRedeemed = 0;                 ///< "points_redeemed"
    std::int64_t accrualId = 0;                      ///< "accrual_id"
    std::optional<std::string> originalMemberId;     ///< "original_member_id"
    std::optional<std::string> useType;              ///< "use_type"
    std::int64_t paymentRate = 0;                    ///< "payment_rate"
    std::int64_t paymentAmount = 0;                  ///< "payment_amount"
    std::optional<std::string> bitReference;         ///< "bit_reference"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static RedemptionDetail decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<RedemptionDetail>::decode(json, decoder);
    }
};

/// One accrual of points produced by an activity record.
struct AccrualDetail {
    std::int64_t id = 0;                                ///< "id"
    std::optional<std::string> accrualDateString;       ///< "accrual_date"
    Date accrualDate = kFallbackDate;                   ///< parsed from `accrualDateString`
    std::optional<std::string> expirationDateString;    ///< "expiration_date"
    Date expirationDate = kFallbackDate;                ///< parsed from `expirationDateString`
    std::optional<std::string> memberID;                ///< "member_id"
    std::int64_t accountID = 0;                         ///< "account_id"
    std::int64_t bitID = 0;                             ///< "bit_id"
    double balancePoints = 0;                           ///< "balance_points"
    double actualPoints = 0;                            ///< "actual_points"
    double expiredPoints = 0;                           ///< "expired_points"
    double resetPoints = 0;                             ///< "reset_points"
    std::optional<std::string> pointsResetDateString;   ///< "points_reset_date"
    Date pointsResetDate = kFallbackDate;               ///< parsed from `pointsResetDateString`
    std::optional<std::string> originalMemberID;        ///< "original_member_id"
    std::int64_t rewardTagID = 0;                       ///< "reward_tag_id"
    std::int64_t sponsorID = 0;                         ///< "sponsor_id"
    std::optional<std::string> originalAccrualID;       ///< "original_accrual_id"
    double billingRate = 0;                             ///< "billing_rate"
    double billingAmount = 0;                           ///< "billing_amount"
    std::optional<std::string> earnType;                ///< "earn_type"
    std::vector<std::string> rewardTags;                ///< "reward_tags"
    std::vector<RedemptionDetail> redemptions;          ///< "redemptions"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static AccrualDetail decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<AccrualDetail>::decode(json, decoder);
    }
};

}  // namespace lumeno
