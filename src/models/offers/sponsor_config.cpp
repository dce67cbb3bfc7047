#include "models/offers/sponsor_config_keys.hpp"

namespace lumeno {

SponsorConfigResponse SponsorConfigResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return detail::sponsorConfigResponseKeys.decode(json, decoder);
}
JsonValue SponsorConfigResponse::toJson() const { return detail::sponsorConfigResponseKeys.encode(*this); }

}  // namespace lumeno
