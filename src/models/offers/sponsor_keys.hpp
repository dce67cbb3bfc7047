#pragma once

#include "lumeno/models/offers/sponsor.hpp"
#include "models/offers/sponsor_location_keys.hpp"

namespace lumeno::detail {

using S = Sponsor;
inline constexpr auto sponsorKeys = fields<S>(
    strict("id", &S::id), writeIds<S, "s">, lenient("extra_data", &S::extraData), lenient("name", &S::name),
    searchNameRule<S, &S::name, &S::nameLowercased>(), lenient("short_name", &S::shortName),
    lenient("rank", &S::rank), strict("is_host", &S::isHost), lenient("description", &S::businessDescription),
    lenient("address", &S::address), lenient("phone_number", &S::phoneNumber), lenient("status", &S::status),
    lenient("industry", &S::industry), lenient("logo", &S::logo), lenient("url", &S::url),
    lenient("start_date", &S::startDate), lenient("end_date", &S::endDate),
    lenient("contact_person_name", &S::contactPersonName), lenient("email", &S::email),
    strict("country", &S::country), lenient("region", &S::region), strict("city", &S::city),
    lenient("country_name", &S::countryName), lenient("state_name", &S::stateName),
    lenient("city_name", &S::cityName), strict("sponsor_timings", &S::timings), lenient("brand_name", &S::brandName),
    lenient("header", &S::headerImage));
template <> inline constexpr const auto& keysOf<Sponsor> = sponsorKeys;

using TS = TrimSponsor;
inline constexpr auto trimSponsorKeys = fields<TS>(
    strict("id", &TS::id), writeIds<TS, "s">, lenient("extra_data", &TS::extraData), lenient("name", &TS::name),
    searchNameRule<TS, &TS::name, &TS::nameLowercased>(), lenient("short_name", &TS::shortName),
    strict("is_host", &TS::isHost), lenient("status", &TS::status), lenient("industry", &TS::industry),
    lenient("logo", &TS::logo), lenient("brand_name", &TS::brandName), lenient("header", &TS::headerImage),
    lenient("description", &TS::description));
template <> inline constexpr const auto& keysOf<TrimSponsor> = trimSponsorKeys;

}  // namespace lumeno::detail
