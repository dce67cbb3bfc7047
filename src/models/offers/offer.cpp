#include "models/offers/offer_keys.hpp"

namespace lumeno {

Offer Offer::decode(const JsonValue& json, const Decoder& decoder) { return detail::offerKeys.decode(json, decoder); }

}  // namespace lumeno
