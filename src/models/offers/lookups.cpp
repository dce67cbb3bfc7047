#include "models/offers/lookups_keys.hpp"

namespace lumeno {

using namespace detail;

LookUp::Localisation LookUp::Localisation::decode(const JsonValue& json, const Decoder& decoder) {
    return localisationKeys.decode(json, decoder);
}
JsonValue LookUp::Localisation::toJson() const { return localisationKeys.encode(*this); }

LookUp LookUp::decode(const JsonValue& json, const Decoder& decoder) { return lookUpKeys.decode(json, decoder); }
JsonValue LookUp::toJson() const { return lookUpKeys.encode(*this, Absent::null); }

Region Region::decode(const JsonValue& json, const Decoder& decoder) { return regionKeys.decode(json, decoder); }
JsonValue Region::toJson() const { return regionKeys.encode(*this, Absent::null); }

Country Country::decode(const JsonValue& json, const Decoder& decoder) { return countryKeys.decode(json, decoder); }
JsonValue Country::toJson() const { return countryKeys.encode(*this, Absent::null); }

GetCitiesResponse GetCitiesResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return getCitiesResponseKeys.decode(json, decoder);
}
JsonValue GetCitiesResponse::toJson() const { return getCitiesResponseKeys.encode(*this); }

}  // namespace lumeno
