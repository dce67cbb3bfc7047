#include "models/activity/bit_response_keys.hpp"

namespace lumeno {

BitResponse BitResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return detail::bitResponseKeys.decode(json, decoder);
}

}  // namespace lumeno
