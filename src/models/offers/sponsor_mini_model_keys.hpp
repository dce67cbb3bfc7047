#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/offers/sponsor_mini_model.hpp"

namespace lumeno::detail {

using SMM = SponsorMiniModel;
inline constexpr auto sponsorMiniModelKeys = fields<SMM>(
    filled(strict("id", &SMM::id)), filled(strict("sponsor", &SMM::sponsor)), lenient("sponsor_name", &SMM::name),
    lenient("sponsor_short_name", &SMM::shortName));
template <> inline constexpr const auto& keysOf<SponsorMiniModel> = sponsorMiniModelKeys;

}  // namespace lumeno::detail
