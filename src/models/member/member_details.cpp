#include "models/member/member_details_keys.hpp"

namespace lumeno {

using namespace detail;

MemberBalance MemberBalance::decode(const JsonValue& json, const Decoder& decoder) {
    return memberBalanceKeys.decode(json, decoder);
}
JsonValue MemberBalance::toJson() const { return memberBalanceKeys.encode(*this); }

MemberDetails MemberDetails::decode(const JsonValue& json, const Decoder& decoder) {
    return memberDetailsKeys.decode(json, decoder);
}
JsonValue MemberDetails::toJson() const { return memberDetailsKeys.encode(*this); }

MemberDetailsConcise MemberDetailsConcise::decode(const JsonValue& json, const Decoder& decoder) {
    return memberDetailsConciseKeys.decode(json, decoder);
}

}  // namespace lumeno
