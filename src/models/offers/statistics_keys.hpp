#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/offers/statistics.hpp"

namespace lumeno::detail {

using SSR = SponsorStatisticsResponse;
inline constexpr auto sponsorStatisticsResponseKeys =
    fields<SSR>(lenient("total_count", &SSR::totalCount), strict("sponsor_group", &SSR::sponsorsList));
template <> inline constexpr const auto& keysOf<SponsorStatisticsResponse> = sponsorStatisticsResponseKeys;

using CSR = CategoryStatisticsResponse;
inline constexpr auto categoryStatisticsResponseKeys = fields<CSR>(strict("category_group", &CSR::categoriesList));
template <> inline constexpr const auto& keysOf<CategoryStatisticsResponse> = categoryStatisticsResponseKeys;

}  // namespace lumeno::detail
