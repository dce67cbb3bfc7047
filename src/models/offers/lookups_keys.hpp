#pragma once

#include "core/json/fields.hpp"
#include "core/text.hpp"
#include "lumeno/models/offers/lookups.hpp"

namespace lumeno::detail {

using LL = LookUp::Localisation;
inline constexpr auto localisationKeys =
    fields<LL>(strict("name", &LL::name), strict("locale_code", &LL::localeCode));

inline constexpr auto lookUpKeys = fields<LookUp>(
    strict("id", &LookUp::id), lenient("type", &LookUp::type), lenient("description", &LookUp::lookupDescription),
    lenient("code", &LookUp::code), lenient("name", &LookUp::name),
    Step<LookUp>{[](const KeyedReader&, LookUp& out) {
        if (out.name) out.nameLowercased = lowercasedSearchName(*out.name);
    }},
    strict("active", &LookUp::active),
    // A broken list costs only the translations; absent or null is an empty list.
    Step<LookUp>{[](const KeyedReader& in, LookUp& out) {
                     const JsonValue* value = in.find("localisations");
                     if (value == nullptr || value->is_null()) out.localisations.emplace();
                     else out.localisations = in.lenient<std::vector<LL>>("localisations");
                 },
                 [](const LookUp& lookUp, JsonObject& out, Absent absent) {
                     if (lookUp.localisations || absent == Absent::null)
                         out["localisations"] = json::encodeValue(lookUp.localisations);
                 },
                 "localisations"});

inline constexpr auto regionKeys = fields<Region>(
    strict("id", &Region::id), lenient("name", &Region::name), lenient("region_code", &Region::regionCode),
    strict("country", &Region::country), lenient("country_name", &Region::countryName));

inline constexpr auto countryKeys = fields<Country>(
    strict("id", &Country::id), lenient("name", &Country::name), lenient("iso_code", &Country::isoCode));

using GCR = GetCitiesResponse;
inline constexpr auto getCitiesResponseKeys = fields<GCR>(
    required("id", &GCR::id), lenient("name", &GCR::name), lenient("city_code", &GCR::cityCode),
    lenient("version_counter", &GCR::versionCounter));

}  // namespace lumeno::detail
