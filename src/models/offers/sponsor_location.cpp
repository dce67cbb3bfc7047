#include "models/offers/sponsor_location_keys.hpp"

#include "core/json/attributes.hpp"

namespace lumeno {

using namespace detail;



LocationUrls LocationUrls::decode(const JsonValue& json, const Decoder& decoder) {
    LocationUrls urls;
    urls.id_ = json::contextId(decoder, &DataTransferModel::prefixLocationUrls);
    urls.locationUrls = json::customAttributes(json, urls.id_);
    return urls;
}

JsonObject LocationUrls::dictionaryRepresentation() const {
    JsonObject out;
    for (const auto& attribute : locationUrls) out[attribute.key] = attribute.value;
    return out;
}


}  // namespace lumeno
