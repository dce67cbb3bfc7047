#pragma once

#include <string_view>

#include "core/json/fields.hpp"
#include "lumeno/models/activity/bit_header.hpp"

namespace lumeno::detail {

/// The whole text as a decimal integer: an optional "+" or "-", then ASCII digits only, within
/// 64 bits; nullopt otherwise.
std::optional<std::int64_t> decimalInteger(std::string_view text);

/// A number rounded to the nearest integer, halves away from zero (an integral number kept
/// exact); nullopt when it is not a finite number or the result does not fit in 64 bits.
std::optional<std::int64_t> roundedInteger(const JsonValue& json);

using BH = BitHeader;
inline constexpr auto bitHeaderKeys = fields<BH>(
    ContextStep<BH>{[](BH& header, DataTransferModel& context) {
        if (context.transferId) header.id = decimalInteger(*context.transferId).value_or(0);
    }},
    lenient("h_bit_date", &BH::date), lenient("h_member_id", &BH::memberId), lenient("offer_id", &BH::offerId),
    lenient("h_bit_source_generated_id", &BH::sourceGeneratedId),
    lenient("unique_transaction_id", &BH::uniqueTransactionId), lenient("h_sponsor_id", &BH::sponsorId),
    lenient("h_location", &BH::location), lenient("h_bit_category", &BH::category), lenient("h_bit_type", &BH::type),
    // A decimal text or a number rounded half away from zero; anything else gives 0.
    Step<BH>{.read = [](const KeyedReader& in, BH& header) {
                 const JsonValue* value = in.find("h_original_bit_amount");
                 if (value == nullptr) return;
                 if (value->is_string()) header.originalBitAmount = decimalInteger(value->get_string()).value_or(0);
                 else header.originalBitAmount = roundedInteger(*value).value_or(0);
             },
             .key = "h_original_bit_amount",
             .mismatch = [] { return JsonValue(true); }},
    lenient("h_program_id", &BH::programId), lenient("h_bit_amount", &BH::amount),
    lenient("h_date_of_booking", &BH::dateOfBooking), lenient("h_bit_currency", &BH::currency),
    lenient("h_bit_type_name", &BH::name), lenient("h_comment", &BH::comment),
    lenient("merchant_name", &BH::merchantName));
template <> inline constexpr const auto& keysOf<BitHeader> = bitHeaderKeys;

}  // namespace lumeno::detail
