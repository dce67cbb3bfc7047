#include "models/offers/offer_actions_keys.hpp"

namespace lumeno {

using namespace detail;

OfferPresentment OfferPresentment::decode(const JsonValue& json, const Decoder& decoder) {
    return offerPresentmentKeys.decode(json, decoder);
}

MemberAction MemberAction::decode(const JsonValue& json, const Decoder& decoder) {
    return memberActionKeys.decode(json, decoder);
}

OfferId OfferId::decode(const JsonValue& json, const Decoder& decoder) { return offerIdKeys.decode(json, decoder); }
JsonValue OfferId::toJson() const { return offerIdKeys.encode(*this); }

WishlistUpdateResponse WishlistUpdateResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return wishlistUpdateResponseKeys.decode(json, decoder);
}

MemberOffer MemberOffer::decode(const JsonValue& json, const Decoder& decoder) {
    return memberOfferKeys.decode(json, decoder);
}
JsonValue MemberOffer::toJson() const { return memberOfferKeys.encode(*this); }

}  // namespace lumeno
