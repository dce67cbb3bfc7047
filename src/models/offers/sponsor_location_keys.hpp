#pragma once

#include "core/text.hpp"
#include "lumeno/models/offers/sponsor_location.hpp"
#include "models/offers/offer_rules.hpp"

namespace lumeno::detail {

/// The search form of a name that may be absent.
inline std::optional<std::string> searchName(const std::optional<std::string>& name) {
    return name ? std::optional(lowercasedSearchName(*name)) : std::nullopt;
}

/// The step that derives a record's search name from its name, right after the name's key.
template <class R, std::optional<std::string> R::*name, std::optional<std::string> R::*lowercased>
constexpr Step<R> searchNameRule() {
    return {[](const KeyedReader&, R& out) { out.*lowercased = searchName(out.*name); }};
}

using LT = LocationTiming;
inline constexpr auto locationTimingKeys = fields<LT>(
    strict("id", &LT::id), strict("day", &LT::day), lenient("open_time", &LT::openTime),
    lenient("close_time", &LT::closeTime));
template <> inline constexpr const auto& keysOf<LocationTiming> = locationTimingKeys;

using LC = LocationCompact;
inline constexpr auto locationCompactKeys = fields<LC>(
    strict("id", &LC::id), lenient("location_name", &LC::name), lenient("location_code", &LC::code),
    strict("latitude", &LC::latitude), strict("longitude", &LC::longitude), lenient("image", &LC::image),
    lenient("address", &LC::address));
template <> inline constexpr const auto& keysOf<LocationCompact> = locationCompactKeys;

using SL = SponsorLocation;
inline constexpr auto sponsorLocationKeys = fields<SL>(
    strict("id", &SL::id), writeIds<SL, "sl">, lenient("extra_data", &SL::extraData), strict("sponsor", &SL::sponsor), lenient("sponsor_name", &SL::sponsorName),
    searchNameRule<SL, &SL::sponsorName, &SL::sponsorNameLowercased>(), lenient("location_name", &SL::name),
    lenient("location_code", &SL::code), lenient("address", &SL::address), lenient("location_type", &SL::type),
    lenient("phone_number", &SL::phoneNumber), strict("latitude", &SL::latitude),
    strict("longitude", &SL::longitude), strict("distance", &SL::distance), lenient("image", &SL::image),
    lenient("sponsor_logo", &SL::sponsorImage), strict("location_timings", &SL::timings),
    strict("active", &SL::active), strict("offers", &SL::offers), lenient("sponsor_header", &SL::sponsorHeader),
    lenient("destination", &SL::destination));
template <> inline constexpr const auto& keysOf<SponsorLocation> = sponsorLocationKeys;

}  // namespace lumeno::detail
