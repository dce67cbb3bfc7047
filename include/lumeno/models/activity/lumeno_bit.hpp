#pragma once

// The activity record (a BIT, as the platform calls it): one loyalty transaction of a member.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/date_utils.hpp"
#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/record.hpp"
#include "lumeno/core/json/extra_data.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/models/activity/offer_action.hpp"
#include "lumeno/models/member/balances.hpp"
#include "lumeno/models/member/payment.hpp"

namespace lumeno {

/// One activity record, decoded only.
///
/// Every key is lenient: absent, null, a value of another type or a failing nested record
/// gives the field's default below, and a list with one bad element is empty. Decoding fails
/// only when the value is not a JSON object.
///
/// Decoding reads "id" first and then, under a decoding context, writes the id's decimal text
/// as the context's `transferId` ("0" without an id; no prefix is written), so the header and
/// the line items get the context's `prefixExtraData` followed by that text as their id, and
/// the payments that text followed by "0". The other keys follow in the order of the fields
/// below, "payment_details", "loyalty_balances" and "lines" right after "processed_date", and
/// "is_cancelled" last.
///
/// The offer actions are kept as JSON text, the way `OfferAction::toJson` writes a list of
/// them; `offerActions()` decodes that text on every read. A list that fails to decode is
/// stored as "[]"; one that cannot be written as JSON (a number that is not finite) leaves the
/// text absent.
struct LumenoBit {
    std::int64_t id = 0;                     ///< "id"
    std::optional<std::string> dateString;   ///< "h_bit_date", the text as received
    /// Parsed from `dateString` with the activity formats "yyyy-MM-dd'T'HH:mm:ssZ" and
    /// "yyyy-MM-dd'T'HH:mm:ss.SSSSSSZ" in the programme's time zone; `kFallbackDate` when
    /// absent or unparsable.
    Date date = kFallbackDate;
    std::optional<std::string> memberId;      ///< "member_id"
    std::optional<std::string> reference;     ///< "bit_reference"
    std::optional<std::string> locationName;  ///< "h_location_name"
    std::optional<ExtraData> header;          ///< "header"
    std::optional<std::string> offerActionsString;  ///< from "offer_actions": the actions as JSON text
    std::int64_t offerActionsCount = 0;       ///< from "offer_actions": the number of actions when decoded
    std::optional<std::string> location;      ///< "h_location"
    std::int64_t programId = 0;               ///< "h_program_id"
    std::int64_t sponsorId = 0;               ///< "h_sponsor_id"
    std::optional<std::string> offerId;       ///< "offer_id"
    std::optional<std::string> category;      ///< "h_bit_category"
    std::optional<std::string> status;        ///< "status"
    std::optional<std::string> processedDate; ///< "processed_date", the text as received
    std::vector<Payment> paymentDetails;      ///< "payment_details"
    std::vector<LoyaltyBalance> loyaltyBalances;  ///< "loyalty_balances"
    std::vector<ExtraData> lines;             ///< "lines"
    std::optional<std::string> errors;        ///< "errors"
    std::optional<std::string> country;       ///< "country"
    std::optional<std::string> region;        ///< "region"
    std::optional<std::string> city;          ///< "city"
    std::optional<std::string> area;          ///< "area"
    bool pointsRewarded = false;              ///< "points_rewarded"
    bool pointsRedeemed = false;              ///< "points_redeemed"
    bool pointsReset = false;                 ///< "points_reset"
    std::optional<std::string> sponsorName;   ///< "sponsor_name"
    std::optional<std::string> sponsorLogo;   ///< "sponsor_logo"
    std::optional<std::string> sponsorShortName;  ///< "sponsor_short_name"
    bool isCancelled = false;                 ///< "is_cancelled"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static LumenoBit decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<LumenoBit>::decode(json, decoder);
    }

    /// The actions in `offerActionsString`, decoded without a decoding context; empty when the
    /// text is absent or is not a JSON list of offer actions.
    [[nodiscard]] std::vector<OfferAction> offerActions() const;

    /// Stores `actions` as `offerActionsString`; `offerActionsCount` stays as it is. Returns
    /// false, and keeps the old text, when the list cannot be written as JSON.
    [[nodiscard]] bool setOfferActions(const std::vector<OfferAction>& actions);
};

/// A transaction; the library neither makes nor reads one.
struct Transaction {};

}  // namespace lumeno
