#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/member/payment.hpp"

namespace lumeno::detail {

inline constexpr auto paymentKeys = fields<Payment>(
    ContextStep<Payment>{[](Payment& payment, DataTransferModel& context) {
        if (context.transferId) payment.id = *context.transferId + "0";
    }},
    strict("amount", &Payment::amount), lenient("payment_method", &Payment::method));
template <> inline constexpr const auto& keysOf<Payment> = paymentKeys;

}  // namespace lumeno::detail
