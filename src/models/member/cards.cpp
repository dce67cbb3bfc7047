#include "models/member/cards_keys.hpp"

namespace lumeno {

using namespace detail;

CardDetails CardDetails::decode(const JsonValue& json, const Decoder& decoder) {
    return cardDetailsKeys.decode(json, decoder);
}

CardRequestResponse CardRequestResponse::decode(const JsonValue& json, const Decoder& decoder) {
    return cardRequestResponseKeys.decode(json, decoder);
}

JsonValue CardAddRequest::toJson() const { return cardAddRequestKeys.encode(*this); }

CardCancelRequest::CardCancelRequest(std::string reason, std::string comment)
    : reason(std::move(reason)), comment(std::move(comment)) {}

JsonValue CardCancelRequest::toJson() const { return cardCancelRequestKeys.encode(*this); }

}  // namespace lumeno
