#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lumeno/core/json/record.hpp"

namespace lumeno {

/// The header of an activity record in the platform's "h_" form, decoded only.
///
/// Every key is lenient: absent, null or a value of another type gives an absent text or 0.
/// Decoding fails only when the value is not a JSON object.
///
/// `id` is no JSON key: it is the decoding context's `transferId` read as a decimal integer (an
/// optional sign, then digits only, within 64 bits), and 0 without a context, without an id or
/// for any other text. The context is read before any key and never written.
struct BitHeader {
    std::int64_t id = 0;
    std::optional<std::string> date;                 ///< "h_bit_date", the text as received
    std::optional<std::string> memberId;             ///< "h_member_id"
    std::int64_t offerId = 0;                        ///< "offer_id"
    std::optional<std::string> sourceGeneratedId;    ///< "h_bit_source_generated_id"
    std::optional<std::string> uniqueTransactionId;  ///< "unique_transaction_id"
    std::int64_t sponsorId = 0;                      ///< "h_sponsor_id"
    std::optional<std::string> location;             ///< "h_location"
    std::optional<std::string> category;             ///< "h_bit_category"
    std::optional<std::string> type;                 ///< "h_bit_type"
    /// "h_original_bit_amount": a text read as a decimal integer as `id` is (0 when it is not
    /// one), or a number rounded to the nearest integer, halves away from zero (0 when the
    /// result does not fit in 64 bits); anything else gives 0.
    std::int64_t originalBitAmount = 0;
    std::int64_t programId = 0;                      ///< "h_program_id"
    float amount = 0;                                ///< "h_bit_amount"
    std::optional<std::string> dateOfBooking;        ///< "h_date_of_booking", the text as received
    std::optional<std::string> currency;             ///< "h_bit_currency"
    std::optional<std::string> name;                 ///< "h_bit_type_name"
    std::optional<std::string> comment;              ///< "h_comment"
    std::optional<std::string> merchantName;         ///< "merchant_name"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static BitHeader decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<BitHeader>::decode(json, decoder);
    }
};

}  // namespace lumeno
