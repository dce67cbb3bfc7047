#pragma once

#include "core/json/fields.hpp"
#include "core/text.hpp"
#include "lumeno/models/offers/lookups.hpp"

namespace lumeno::detail {

using LL = LookUp::Localisation;
inline constexpr auto localisationKeys =
    fields<LL>(strict("name", &LL::name), strict("locale_code", &LL::localeCode));
template <> inline constexpr const auto& keysOf<LookUp::Localisation> = localisationKeys;

inline constexpr auto lookUpKeys = fields<LookUp, Absent::null>(
    strict("id", &LookUp::id), lenient("type", &LookUp::type), lenient("description", &LookUp::lookupDescription),
    lenient("code", &LookUp::code), lenient("name", &LookUp::name),
    Step<LookUp>{[](const KeyedReader&, LookUp& out) {
        if (out.name) out.nameLowercased = lowercasedSearchName(*out.name);
    }},
    strict("active", &LookUp::active),
    // A broken list costs only the translations; absent or null is an empty list.
    Step<LookUp>{.read = [](const KeyedReader& in, LookUp& out) {
                     const JsonValue* value = in.find("localisations");
                     if (value == nullptr || value->is_null()) out.localisations.emplace();
                     else out.localisations = in.lenient<std::vector<LL>>("localisations");
                 },
                 .write = [](const LookUp& lookUp, JsonObject& out, Absent absent) {
                     if (lookUp.localisations || absent == Absent::null)
                         out["localisations"] = json::encodeValue(lookUp.localisations);
                 },
                 .key = "localisations",
                 .filled = true,
                 .mismatch = mismatchFor<std::vector<LL>>()});
template <> inline constexpr const auto& keysOf<LookUp> = lookUpKeys;

inline constexpr auto regionKeys = fields<Region, Absent::null>(
    strict("id", &Region::id), lenient("name", &Region::name), lenient("region_code", &Region::regionCode),
    strict("country", &Region::country), lenient("country_name", &Region::countryName));
template <> inline constexpr const auto& keysOf<Region> = regionKeys;

inline constexpr auto countryKeys = fields<Country, Absent::null>(
    strict("id", &Country::id), lenient("name", &Country::name), lenient("iso_code", &Country::isoCode));
template <> inline constexpr const auto& keysOf<Country> = countryKeys;

using GCR = GetCitiesResponse;
inline constexpr auto getCitiesResponseKeys = fields<GCR>(
    required("id", &GCR::id), lenient("name", &GCR::name), lenient("city_code", &GCR::cityCode),
    lenient("version_counter", &GCR::versionCounter));
template <> inline constexpr const auto& keysOf<GetCitiesResponse> = getCitiesResponseKeys;

}  // namespace lumeno::detail
