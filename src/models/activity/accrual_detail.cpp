#include "models/activity/accrual_detail_keys.hpp"

namespace lumeno {

using namespace detail;

RedemptionDetail RedemptionDetail::decode(const JsonValue& json, const Decoder& decoder) {
    return redemptionDetailKeys.decode(json, decoder);
}

AccrualDetail AccrualDetail::decode(const JsonValue& json, const Decoder& decoder) {
    return accrualDetailKeys.decode(json, decoder);
}

}  // namespace lumeno
