#include "models/offers/sponsor_mini_model_keys.hpp"

namespace lumeno {

using namespace detail;

SponsorMiniModel SponsorMiniModel::decode(const JsonValue& json, const Decoder& decoder) {
    return sponsorMiniModelKeys.decode(json, decoder);
}
JsonValue SponsorMiniModel::toJson() const { return sponsorMiniModelKeys.encode(*this); }

}  // namespace lumeno
