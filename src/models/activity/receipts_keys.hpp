#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/activity/receipts.hpp"

namespace lumeno::detail {

// A friend of the upload body, whose fields are private.
struct UploadReceiptRequestKeys {
    using URR = UploadReceiptRequest;
    static constexpr auto table = fields<URR>(
        strict("receipt_number", &URR::receipt_number), required("sponsor", &URR::sponsor),
        strict("currency", &URR::currency), strict("destination", &URR::destination),
        strict("location", &URR::location), strict("transaction_date", &URR::transaction_date),
        strict("transaction_amount", &URR::transaction_amount),
        strict("receipt_image_urls", &URR::receipt_image_urls), required("member", &URR::member));
};
inline constexpr const auto& uploadReceiptRequestKeys = UploadReceiptRequestKeys::table;
template <> inline constexpr const auto& keysOf<UploadReceiptRequest> = uploadReceiptRequestKeys;

using RR = ReceiptResponse;
inline constexpr auto receiptResponseKeys = fields<RR>(
    lenient("id", &RR::id), lenient("receipt_number", &RR::receiptNumber),
    lenient("transaction_amount", &RR::transactionAmount), lenient("currency", &RR::currency),
    lenient("transaction_date", &RR::transactionDate), lenient("member", &RR::member),
    lenient("sponsor", &RR::sponsor), lenient("location", &RR::location),
    lenient("receipt_image_urls", &RR::receiptImageUrls), lenient("bit_reference", &RR::bitReference),
    lenient("process", &RR::process), lenient("status", &RR::status),
    lenient("rejection_reason", &RR::rejectionReason), lenient("sponsor_name", &RR::sponsorName),
    lenient("sponsor_logo", &RR::sponsorLogo), lenient("sponsor_short_name", &RR::sponsorShortName),
    lenient("location_name", &RR::locationName), lenient("destination", &RR::destination),
    lenient("created_ts", &RR::createdTs), lenient("updated_ts", &RR::updatedTs));
template <> inline constexpr const auto& keysOf<ReceiptResponse> = receiptResponseKeys;

}  // namespace lumeno::detail
