#pragma once

// Promotions: a member's privileges as the privilege calls return them.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default).
//
// Most keys are camelCase; "offer_desktop_image" and "offer_mobile_image" are snake_case, and
// six keys end in an upper-case "ID". The record is read only, never written back.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/date_utils.hpp"
#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/record.hpp"
#include "lumeno/core/json/extra_data.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/models/offers/privileges.hpp"

namespace lumeno {

/// One privilege of a member: its codes, the product, offer and sponsor behind it, its dates,
/// what an external service issued for it, two attribute maps and the products to choose from.
///
/// The two dates are kept twice: the text as received ("usageDate", "validTill") and the
/// instant parsed from a non-empty text with the shared formats of `DateUtils`; an absent,
/// empty or unparsable text leaves the instant absent. The keys "usageDateStr" and
/// "validTillStr" are never read.
///
/// Decoding reads the keys in the order of the fields below, except that `offerExtraData` is
/// read before and `extraData` after the context write: under a decoding context, right after
/// "offerExtraData", the privilege code becomes the context's `transferId` and
/// "promotionExtraData" its `prefixExtraData` (the location-link prefix is left alone). So
/// `offerExtraData` is identified by whatever the context held before (in a list, the previous
/// promotion's code) and `extraData` by "promotionExtraData" followed by this promotion's code.
struct Promotion {
    std::optional<std::string> memberId;                  ///< "memberID", lenient
    std::optional<std::string> usageDateStr;              ///< "usageDate", lenient, the text as received
    std::optional<Date> usageDate;                        ///< parsed from "usageDate"
    std::optional<std::string> createdOn;                 ///< "createdOn", lenient
    std::optional<std::string> endDate;                   ///< "endDate", lenient
    std::optional<std::string> status;                    ///< "status", lenient
    std::string privilegeCode;                            ///< "privilegeCode", strict
    std::string uniquePrivilegeCode = "null";             ///< "uniquePrivilegeCode", strict: the text "null" by default
    std::optional<std::string> sponsor;                   ///< "sponsor", lenient
    std::optional<std::string> productName;               ///< "productName", lenient
    std::optional<std::string> productCategory;           ///< "productCategory", lenient
    std::optional<std::string> productLogo;               ///< "productLogo", lenient
    std::optional<std::string> productAwardPrice;         ///< "productAwardPrice", lenient
    std::int64_t productId = 0;                           ///< "productID", strict
    std::optional<std::string> validTillStr;              ///< "validTill", lenient, the text as received
    std::optional<Date> validTill;                        ///< parsed from "validTill"
    std::optional<std::string> availmentCount;            ///< "availmentCount", lenient
    std::optional<std::string> startDate;                 ///< "startDate", lenient
    std::optional<std::string> cdc;                       ///< "cdc", lenient
    std::optional<std::string> offerName;                 ///< "offerName", lenient
    std::optional<std::string> productDescription;        ///< "productDescription", lenient
    std::optional<std::string> bitId;                     ///< "bitID", lenient
    std::optional<std::string> availmentBitId;            ///< "availmentBitID", lenient
    std::optional<std::string> offerTitle;                ///< "offerTitle", lenient
    double value = 0;                                     ///< "value", lenient
    std::optional<std::string> offerType;                 ///< "offerType", lenient
    double productCost = 0;                               ///< "productCost", lenient
    std::int64_t offerId = 0;                             ///< "offerID", strict
    std::int64_t sponsorId = 0;                           ///< "sponsorID", strict
    std::optional<std::string> offerDesc;                 ///< "offerDesc", lenient
    std::optional<std::string> offerDesktopImage;         ///< "offer_desktop_image", lenient
    std::optional<std::string> offerMobileImage;          ///< "offer_mobile_image", lenient
    bool isExternalPrivilege = false;                     ///< "isExternalPrivilege", strict
    std::optional<std::string> externalCode;              ///< "externalCode", lenient
    std::optional<std::string> externalPrivilegeCode;     ///< "externalPrivilegeCode", lenient
    std::optional<std::string> externalPrivilegeService;  ///< "externalPrivilegeService", lenient
    /// "externalPrivilegeResponse", lenient, looked at only when present
    std::optional<ExternalPrivilegeResponse> externalPrivilegeResponse;
    std::optional<ExtraData> offerExtraData;              ///< "offerExtraData", lenient, read before the context write
    std::optional<ExtraData> extraData;                   ///< "extraData", lenient, read after the context write
    std::optional<std::string> privilegeType;             ///< "privilegeType", lenient
    std::vector<ProductChoice> selectedProductsList;      ///< "selectedProductsList", strict: one bad element fails

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static Promotion decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<Promotion>::decode(json, decoder);
    }
};

}  // namespace lumeno
