#include "models/offers/location_offer_keys.hpp"

namespace lumeno {

using namespace detail;

Date defaultOfferEndDate() { return offerClock() + kOfferEndDateSpan; }

OfferParams OfferParams::decode(const JsonValue& json, const Decoder& decoder) {
    return offerParamsKeys.decode(json, decoder);
}

LocationOffer LocationOffer::decode(const JsonValue& json, const Decoder& decoder) {
    return locationOfferKeys.decode(json, decoder);
}

}  // namespace lumeno
