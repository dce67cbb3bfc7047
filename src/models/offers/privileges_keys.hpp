#pragma once

#include "lumeno/models/offers/privileges.hpp"
#include "models/offers/offer_rules.hpp"

namespace lumeno::detail {

using Pr = Product;
inline constexpr auto productKeys = fields<Pr>(
    strict("id", &Pr::id), writeIds<Pr, "p">, lenient("product_extra_data", &Pr::extraData), strict("product", &Pr::product), lenient("product_name", &Pr::name),
    strict("award_price", &Pr::awardPrice), strict("product_cost", &Pr::cost),
    strict("product_category", &Pr::category), lenient("product_currency_id", &Pr::currencyId),
    lenient("product_currency_name", &Pr::currencyName));
template <> inline constexpr const auto& keysOf<Product> = productKeys;

using Pv = Privilege;
inline constexpr auto privilegeKeys = fields<Pv>(
    lenient("member_id", &Pv::memberId), lenient("privilege_code", &Pv::code), lenient("bit_id", &Pv::bitId),
    lenient("start_date", &Pv::startDate), lenient("end_date", &Pv::endDate), lenient("usage_date", &Pv::usageDate),
    strict("value", &Pv::value), strict("product_id", &Pv::productId), strict("offer_id", &Pv::offerId),
    lenient("status", &Pv::status), lenient("cdc", &Pv::cdc));
template <> inline constexpr const auto& keysOf<Privilege> = privilegeKeys;

using PC = ProductChoice;
inline constexpr auto productChoiceKeys = fields<PC>(
    strict("productId", &PC::productId), strict("sponsor", &PC::sponsor), strict("totalCount", &PC::totalCount),
    strict("privilegeValidity", &PC::privilegeValidity), strict("productChoosenInBit", &PC::productChoosenInBit),
    strict("productChoosenDate", &PC::productChoosenDate), strict("productChoosen", &PC::productChoosen),
    strict("validityInterval", &PC::validityInterval), strict("validityIntervalField", &PC::validityIntervalField),
    strict("validFrom", &PC::validFrom), strict("validTill", &PC::validTill),
    strict("privilegeCode", &PC::privilegeCode));
template <> inline constexpr const auto& keysOf<ProductChoice> = productChoiceKeys;

using EPR = ExternalPrivilegeResponse;
inline constexpr auto externalPrivilegeResponseKeys = fields<EPR>(
    lenient("giftcard_url", &EPR::giftcardUrl), lenient("giftcard_number", &EPR::giftcardNumber),
    lenient("voucher", &EPR::voucherNumber));
template <> inline constexpr const auto& keysOf<ExternalPrivilegeResponse> = externalPrivilegeResponseKeys;

}  // namespace lumeno::detail
