#include "models/offers/offer_booking_keys.hpp"

namespace lumeno {

OfferBooking OfferBooking::decode(const JsonValue& json, const Decoder& decoder) {
    return detail::offerBookingKeys.decode(json, decoder);
}

}  // namespace lumeno
