#include "models/offers/privileges_keys.hpp"

namespace lumeno {

using namespace detail;

Product Product::decode(const JsonValue& json, const Decoder& decoder) { return productKeys.decode(json, decoder); }

Privilege Privilege::decode(const JsonValue& json, const Decoder& decoder) { return privilegeKeys.decode(json, decoder); }

ProductChoice ProductChoice::decode(const JsonValue& json, const Decoder& decoder) {
    return productChoiceKeys.decode(json, decoder);
}
JsonValue ProductChoice::toJson() const { return productChoiceKeys.encode(*this); }

ExternalPrivilegeResponse ExternalPrivilegeResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return externalPrivilegeResponseKeys.decode(json, decoder);
}

}  // namespace lumeno
