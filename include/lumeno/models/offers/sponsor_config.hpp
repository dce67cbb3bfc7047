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

    static SponsorConfigResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<SponsorConfigResponse>::decode(json, decoder);
    }
    [[nodiscard]] JsonValue toJson() const { return detail::Record<SponsorConfigResponse>::toJson(*this); }
};

}  // namespace lumeno
