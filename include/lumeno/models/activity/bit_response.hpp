#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/json/record.hpp"
#include "lumeno/models/activity/lumeno_bit.hpp"
#include "lumeno/models/activity/offer_action.hpp"
#include "lumeno/models/member/balances.hpp"
#include "lumeno/models/member/member_details.hpp"
#include "lumeno/models/offers/privileges.hpp"

namespace lumeno {

/// The platform's answer to a new activity record or point transfer: the record as stored,
/// the member, and what processing it did. Decoded only.
///
/// The four lists are strict: a value that is not a list, or one element that fails, fails the
/// whole reply (the activity may still have been processed). Every other key is lenient: a
/// wrong type or a failing nested record leaves the field absent.
///
/// Keys are read in the order of the fields. The reply itself leaves the decoding context alone,
/// but the record is read before the member: the record's id names its header, lines and
/// payments, and the member then writes its own id for its own parts.
struct BitResponse {
    std::optional<LumenoBit> originalBit;          ///< "original_bit", lenient
    std::optional<MemberDetails> member;           ///< "member", lenient
    std::vector<OfferAction> offerActions;         ///< "offer_actions", strict
    std::vector<Privilege> assignedPrivileges;     ///< "assigned_privileges", strict
    std::vector<Privilege> availedPrivileges;      ///< "availed_privileges", strict
    std::vector<LoyaltyBalance> loyaltyAccounts;   ///< "loyalty_accounts", strict
    std::optional<JsonValue> mtoMap;               ///< "mtomap", lenient: any JSON value as it came
    std::optional<std::string> processingDate;     ///< "processingDate", lenient, the text as received
    std::optional<std::string> bitId;              ///< "bitId", lenient (a number gives absent)
    std::optional<bool> pointsRewarded;            ///< "points_rewarded", lenient
    std::optional<bool> pointsRedeemed;            ///< "points_redeemed", lenient
    std::optional<std::string> status;             ///< "status", lenient
    std::optional<std::string> memberID;           ///< "member_id", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static BitResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<BitResponse>::decode(json, decoder);
    }
};

/// A transaction reply; the library neither makes nor reads one.
struct TransactionResponse {};

}  // namespace lumeno
