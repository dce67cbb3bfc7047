#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lumeno/core/json/record.hpp"

namespace lumeno {

/// One payment of an activity record.
///
/// `id` is no JSON key: under a decoding context that holds a `transferId` it is that id
/// followed by "0", otherwise the empty text. The context is read, never written.
struct Payment {
    std::string id;
    std::int64_t amount = 0;            ///< "amount"; absent or null gives 0, another type fails
    std::optional<std::string> method;  ///< "payment_method"; another type gives absent

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static Payment decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<Payment>::decode(json, decoder);
    }
};

}  // namespace lumeno
