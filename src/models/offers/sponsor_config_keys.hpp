#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/offers/sponsor_config.hpp"

namespace lumeno::detail {

using SCR = SponsorConfigResponse;
inline constexpr auto sponsorConfigResponseKeys = fields<SCR>(
    lenient("id", &SCR::id), lenient("sponsor", &SCR::sponsor), lenient("partnered_sponsor", &SCR::partneredSponsor),
    lenient("scannable_receipts", &SCR::scannableReceipts));
template <> inline constexpr const auto& keysOf<SponsorConfigResponse> = sponsorConfigResponseKeys;

}  // namespace lumeno::detail
