#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/offers/rates.hpp"

namespace lumeno::detail {

using SDR = SponsorDefaultRateResponse;
inline constexpr auto sponsorDefaultRateResponseKeys = fields<SDR>(
    lenient("id", &SDR::id), lenient("loyalty_account", &SDR::loyaltyAccount),
    lenient("currency_code", &SDR::currencyCode), lenient("conversion_rate", &SDR::conversionRate),
    lenient("policy_type", &SDR::policyType), lenient("version_counter", &SDR::versionCounter),
    lenient("conversion_value", &SDR::conversionValue), lenient("currency_value", &SDR::currencyValue));
template <> inline constexpr const auto& keysOf<SponsorDefaultRateResponse> = sponsorDefaultRateResponseKeys;

// In writing order; every key is lenient and none touches the context, so the order of reading
// cannot show.
using SBR = SponsorBaseRateResponse;
inline constexpr auto sponsorBaseRateResponseKeys = fields<SBR>(
    lenient("id", &SBR::id), lenient("sponsor", &SBR::sponsor), lenient("base_rate", &SBR::baseRate),
    lenient("loyalty_account", &SBR::loyaltyAccount), lenient("currency_code", &SBR::currencyCode),
    lenient("status", &SBR::status), lenient("start_date", &SBR::startDate), lenient("end_date", &SBR::endDate),
    lenient("version_counter", &SBR::versionCounter));
template <> inline constexpr const auto& keysOf<SponsorBaseRateResponse> = sponsorBaseRateResponseKeys;

}  // namespace lumeno::detail
