#pragma once

// Purchase receipts: the upload body and the stored receipt.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/json/record.hpp"

namespace lumeno {

namespace detail {
template <class R, class... Steps>
class Fields;
struct UploadReceiptRequestKeys;
}  // namespace detail

/// The body of a receipt upload. It is built whole, from the constructor only, and its fields
/// cannot be read back; they are named by their JSON keys.
///
/// Encoding writes "receipt_number", "sponsor", "currency", "destination", "location",
/// "transaction_date", "transaction_amount", "receipt_image_urls", "member" in this order,
/// "sponsor" and "member" always and every other key only when present (never as null).
/// Decoding reads the same keys in the same order: "sponsor" (an integer) and "member" (a
/// text) are required, the others strict.
class UploadReceiptRequest {
public:
    /// The body with these values, each under the JSON key of its name.
    UploadReceiptRequest(std::optional<std::string> receipt_number, std::int64_t sponsor,
                         std::optional<std::string> destination, std::optional<std::string> location,
                         std::optional<std::string> transaction_date, std::optional<double> transaction_amount,
                         std::optional<std::vector<std::string>> receipt_image_urls,
                         std::optional<std::string> currency, std::string member);

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static UploadReceiptRequest decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<UploadReceiptRequest>::decode(json, decoder);
    }
    /// Throws `EncodingError` when the amount is not finite or a text is not valid UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<UploadReceiptRequest>::toJson(*this); }

private:
    template <class R, class... Steps>
    friend class detail::Fields;
    friend struct detail::UploadReceiptRequestKeys;
    UploadReceiptRequest() = default;

    std::optional<std::string> receipt_number;
    std::int64_t sponsor = 0;
    std::optional<std::string> currency;
    std::optional<std::string> destination;
    std::optional<std::string> location;
    std::optional<std::string> transaction_date;  ///< sent as given, no date handling
    std::optional<double> transaction_amount;
    std::optional<std::vector<std::string>> receipt_image_urls;
    std::string member;
};

/// A stored receipt: the reply of an upload and the element of the receipt list.
///
/// Every key is lenient: absent, null or a value of another type gives an absent field (the
/// whole list of image URLs when one element is not a text). Decoding fails only when the
/// value is not a JSON object. Encoding writes the keys in the order below, each only when
/// present. Time stamps and dates stay texts.
struct ReceiptResponse {
    std::optional<std::string> id;                              ///< "id"
    std::optional<std::string> receiptNumber;                   ///< "receipt_number"
    std::optional<double> transactionAmount;                    ///< "transaction_amount"
    std::optional<std::string> currency;                        ///< "currency"
    std::optional<std::string> transactionDate;                 ///< "transaction_date"
    std::optional<std::string> member;                          ///< "member"
    std::optional<std::int64_t> sponsor;                        ///< "sponsor"
    std::optional<std::string> location;                        ///< "location"
    std::optional<std::vector<std::string>> receiptImageUrls;   ///< "receipt_image_urls"
    std::optional<std::string> bitReference;                    ///< "bit_reference"
    std::optional<std::string> process;                         ///< "process"
    std::optional<std::string> status;                          ///< "status"
    std::optional<std::string> rejectionReason;                 ///< "rejection_reason"
    std::optional<std::string> sponsorName;                     ///< "sponsor_name"
    std::optional<std::string> sponsorLogo;                     ///< "sponsor_logo"
    std::optional<std::string> sponsorShortName;                ///< "sponsor_short_name"
    std::optional<std::string> locationName;                    ///< "location_name"
    std::optional<std::string> destination;                     ///< "destination"
    std::optional<std::string> createdTs;                       ///< "created_ts"
    std::optional<std::string> updatedTs;                       ///< "updated_ts"
    std::optional<std::int64_t> versionCounter;  ///< no JSON key: never decoded nor encoded

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static ReceiptResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<ReceiptResponse>::decode(json, decoder);
    }
    /// Throws `EncodingError` when the amount is not finite or a text is not valid UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<ReceiptResponse>::toJson(*this); }
};

}  // namespace lumeno
