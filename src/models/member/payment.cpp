#include "models/member/payment_keys.hpp"

namespace lumeno {

Payment Payment::decode(const JsonValue& json, const Decoder& decoder) { return detail::paymentKeys.decode(json, decoder); }

}  // namespace lumeno
