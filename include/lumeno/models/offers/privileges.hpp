#pragma once

// Products, privileges and product choices: small records that always arrive nested in a parent
// (an offer, an activity reply, a promotion).
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default).

#include <cstdint>
#include <optional>
#include <string>

#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/record.hpp"
#include "lumeno/core/json/extra_data.hpp"
#include "lumeno/core/json/json.hpp"

namespace lumeno {

/// A product (reward item) attached to an offer.
///
/// Decoding reads "id" first, then, under a decoding context, writes the id text as the
/// context's `transferId` and "p" as its `prefixExtraData` (the location-link prefix is left
/// alone), so that its attribute map is identified as "p" followed by the id. Nothing restores
/// the earlier values: records decoded later in the same reply see this product's.
struct Product {
    std::int64_t id = 0;                       ///< "id", strict
    std::optional<ExtraData> extraData;        ///< "product_extra_data", lenient, read right after the context write
    std::int64_t product = 0;                  ///< "product", strict
    std::optional<std::string> name;           ///< "product_name", lenient
    double awardPrice = 0;                     ///< "award_price", strict
    double cost = 0;                           ///< "product_cost", strict
    std::optional<std::string> category;       ///< "product_category", strict
    std::optional<std::string> currencyId;     ///< "product_currency_id", lenient
    std::optional<std::string> currencyName;   ///< "product_currency_name", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static Product decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<Product>::decode(json, decoder);
    }
};

/// A privilege assigned to or used by a member in an activity. Its dates stay texts.
struct Privilege {
    std::optional<std::string> memberId;   ///< "member_id", lenient
    std::optional<std::string> code;       ///< "privilege_code", lenient
    std::optional<std::string> bitId;      ///< "bit_id", lenient
    std::optional<std::string> startDate;  ///< "start_date", lenient
    std::optional<std::string> endDate;    ///< "end_date", lenient
    std::optional<std::string> usageDate;  ///< "usage_date", lenient
    double value = 0;                      ///< "value", strict
    std::int64_t productId = 0;            ///< "product_id", strict
    std::int64_t offerId = 0;              ///< "offer_id", strict
    std::optional<std::string> status;     ///< "status", lenient
    std::optional<std::string> cdc;        ///< "cdc", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static Privilege decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<Privilege>::decode(json, decoder);
    }
};

/// One product that a member may choose, or has chosen, for a promotion. Every key is strict
/// and reads as absent when missing or null. Encoding writes the keys in this order and leaves
/// out the key of every absent field.
struct ProductChoice {
    std::optional<std::int64_t> productId;             ///< "productId"
    std::optional<std::int64_t> sponsor;               ///< "sponsor"
    std::optional<std::int64_t> totalCount;            ///< "totalCount"
    std::optional<std::string> privilegeValidity;      ///< "privilegeValidity"
    std::optional<std::string> productChoosenInBit;    ///< "productChoosenInBit"
    std::optional<std::string> productChoosenDate;     ///< "productChoosenDate"
    std::optional<bool> productChoosen;                ///< "productChoosen"
    std::optional<std::int64_t> validityInterval;      ///< "validityInterval"
    std::optional<std::int64_t> validityIntervalField; ///< "validityIntervalField"
    std::optional<std::string> validFrom;              ///< "validFrom"
    std::optional<std::string> validTill;              ///< "validTill"
    std::optional<std::string> privilegeCode;          ///< "privilegeCode"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static ProductChoice decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<ProductChoice>::decode(json, decoder);
    }
    /// Writes the record; throws `EncodingError` for a number not finite or a text not UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<ProductChoice>::toJson(*this); }
};

/// What an external service issued for a privilege (gift card or voucher); every key lenient.
struct ExternalPrivilegeResponse {
    std::optional<std::string> giftcardUrl;     ///< "giftcard_url"
    std::optional<std::string> giftcardNumber;  ///< "giftcard_number"
    std::optional<std::string> voucherNumber;   ///< "voucher"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static ExternalPrivilegeResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<ExternalPrivilegeResponse>::decode(json, decoder);
    }
};

}  // namespace lumeno
