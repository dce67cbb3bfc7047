#include "lumeno/models/member/payment.hpp"

#include "lumeno/core/json/readers.hpp"

namespace lumeno {

Payment Payment::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    Payment out;
    if (const DataTransferModel* context = in.context(); context && context->transferId)
        out.id = *context->transferId + "0";
    out.amount = in.strict<std::int64_t>("amount");
    out.method = in.lenient<std::string>("payment_method");
    return out;
}

}  // namespace lumeno
