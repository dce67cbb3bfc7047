#include "models/activity/offer_action_keys.hpp"

namespace lumeno {

using namespace detail;

TransferProfile TransferProfile::decode(const JsonValue& json, const Decoder& decoder) {
    return transferProfileKeys.decode(json, decoder);
}
JsonValue TransferProfile::toJson() const { return json::writable(transferProfileKeys.encode(*this)); }

OfferAction OfferAction::decode(const JsonValue& json, const Decoder& decoder) {
    return offerActionKeys.decode(json, decoder);
}
JsonValue OfferAction::toJson() const { return json::writable(offerActionKeys.encode(*this)); }

}  // namespace lumeno
