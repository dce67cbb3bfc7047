#pragma once

#include "lumeno/models/offers/promotion.hpp"
#include "models/offers/offer_rules.hpp"

namespace lumeno::detail {

using Pm = Promotion;
inline constexpr auto promotionKeys = fields<Pm>(
    lenient("memberID", &Pm::memberId), lenient("usageDate", &Pm::usageDateStr),
    dateRule<Pm, &Pm::usageDateStr, &Pm::usageDate>(), lenient("createdOn", &Pm::createdOn),
    lenient("endDate", &Pm::endDate), lenient("status", &Pm::status), strict("privilegeCode", &Pm::privilegeCode),
    strict("uniquePrivilegeCode", &Pm::uniquePrivilegeCode), lenient("sponsor", &Pm::sponsor),
    lenient("productName", &Pm::productName), lenient("productCategory", &Pm::productCategory),
    lenient("productLogo", &Pm::productLogo), lenient("productAwardPrice", &Pm::productAwardPrice),
    strict("productID", &Pm::productId), lenient("validTill", &Pm::validTillStr),
    dateRule<Pm, &Pm::validTillStr, &Pm::validTill>(), lenient("availmentCount", &Pm::availmentCount),
    lenient("startDate", &Pm::startDate), lenient("cdc", &Pm::cdc), lenient("offerName", &Pm::offerName),
    lenient("productDescription", &Pm::productDescription), lenient("bitID", &Pm::bitId),
    lenient("availmentBitID", &Pm::availmentBitId), lenient("offerTitle", &Pm::offerTitle),
    lenient("value", &Pm::value), lenient("offerType", &Pm::offerType), lenient("productCost", &Pm::productCost),
    strict("offerID", &Pm::offerId), strict("sponsorID", &Pm::sponsorId), lenient("offerDesc", &Pm::offerDesc),
    lenient("offer_desktop_image", &Pm::offerDesktopImage), lenient("offer_mobile_image", &Pm::offerMobileImage),
    strict("isExternalPrivilege", &Pm::isExternalPrivilege), lenient("externalCode", &Pm::externalCode),
    lenient("externalPrivilegeCode", &Pm::externalPrivilegeCode),
    lenient("externalPrivilegeService", &Pm::externalPrivilegeService),
    presentOnly(lenient("externalPrivilegeResponse", &Pm::externalPrivilegeResponse)),
    lenient("offerExtraData", &Pm::offerExtraData),
    ContextStep<Pm>{[](Pm& promotion, DataTransferModel& context) {
        context.transferId = promotion.privilegeCode;
        context.prefixExtraData = "promotionExtraData";
    }},
    lenient("extraData", &Pm::extraData), lenient("privilegeType", &Pm::privilegeType),
    strict("selectedProductsList", &Pm::selectedProductsList));
template <> inline constexpr const auto& keysOf<Promotion> = promotionKeys;

}  // namespace lumeno::detail
