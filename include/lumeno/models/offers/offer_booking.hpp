#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/record.hpp"
#include "lumeno/core/json/extra_data.hpp"
#include "lumeno/core/json/json.hpp"

namespace lumeno {

/// One appointment that a member booked for an offer at a location. Times stay texts as
/// received. Decoding writes nothing into the decoding context; the two attribute maps are
/// identified by whatever the context holds (in the booking replies: nothing, so each
/// attribute's id is its key).
///
/// Rule words: strict (absent or null gives the default; a value of another type fails the
/// record), lenient (absent, null or a value of another type gives the default).
struct OfferBooking {
    std::int64_t appointmentId = 0;             ///< "appointment_id", strict
    std::optional<std::string> startDate;       ///< "booking_start_datetime", lenient
    std::optional<std::string> endDate;         ///< "booking_end_datetime", lenient
    std::optional<std::string> status;          ///< "status", lenient
    std::optional<std::string> memberId;        ///< "member", lenient: a text only
    std::optional<std::string> locationCode;    ///< "location_code", lenient
    std::optional<std::string> locationName;    ///< "location_name", lenient
    std::int64_t offerId = 0;                   ///< "offer", strict
    std::optional<std::string> offerName;       ///< "offer_name", lenient
    std::optional<std::string> createdTs;       ///< "created_ts", lenient
    std::optional<std::string> updatedTs;       ///< "updated_ts", lenient
    std::optional<ExtraData> offerExtraData;    ///< "offer_extra_data", lenient
    std::optional<ExtraData> locationExtraData; ///< "location_extra_data", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static OfferBooking decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<OfferBooking>::decode(json, decoder);
    }
};

}  // namespace lumeno
