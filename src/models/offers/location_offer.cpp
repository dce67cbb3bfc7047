#include "models/offers/location_offer_keys.hpp"

namespace lumeno {

using namespace detail;

Date defaultOfferEndDate() { return offerClock() + kOfferEndDateSpan; }



}  // namespace lumeno
