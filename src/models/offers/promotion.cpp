#include "models/offers/promotion_keys.hpp"

namespace lumeno {

Promotion Promotion::decode(const JsonValue& json, const Decoder& decoder) {
    return detail::promotionKeys.decode(json, decoder);
}

}  // namespace lumeno
