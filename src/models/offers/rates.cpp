#include "models/offers/rates_keys.hpp"

namespace lumeno {

using namespace detail;

SponsorDefaultRateResponse SponsorDefaultRateResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return sponsorDefaultRateResponseKeys.decode(json, decoder);
}
JsonValue SponsorDefaultRateResponse::toJson() const {
    return json::writable(sponsorDefaultRateResponseKeys.encode(*this));
}

SponsorBaseRateResponse SponsorBaseRateResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return sponsorBaseRateResponseKeys.decode(json, decoder);
}
JsonValue SponsorBaseRateResponse::toJson() const { return json::writable(sponsorBaseRateResponseKeys.encode(*this)); }

}  // namespace lumeno
