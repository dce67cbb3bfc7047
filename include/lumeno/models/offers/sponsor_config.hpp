#pragma once

#include <cstdint>
#include <optional>

#include "lumeno/core/json/record.hpp"

namespace lumeno {

/// One sponsor's receipt configuration. Every key is lenient (a value of another type gives an
/// absent field); encoding writes the keys in this order, each only when present. Does not use
/// the decoding context.
struct SponsorConfigResponse {
    std::optional<std::int64_t> id;             ///< "id"
    std::optional<std::int64_t> sponsor;        ///< "sponsor"
    std::optional<bool> partneredSponsor;       ///< "partnered_sponsor"
    std::optional<bool> scannableReceipts;      ///< "scannable_receipts"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static SponsorConfigResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<SponsorConfigResponse>::decode(json, decoder);
    }
    /// Writes the record; throws `EncodingError` for a number not finite or a text not UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<SponsorConfigResponse>::toJson(*this); }
};

}  // namespace lumeno
