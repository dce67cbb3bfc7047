#include "models/offers/recommended_offer_keys.hpp"

namespace lumeno {

RecommendedOffer RecommendedOffer::decode(const JsonValue& json, const Decoder& decoder) {
    return detail::recommendedOfferKeys.decode(json, decoder);
}

}  // namespace lumeno
