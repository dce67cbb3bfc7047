#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/offers/offer_booking.hpp"

namespace lumeno::detail {

using OB = OfferBooking;
inline constexpr auto offerBookingKeys = fields<OB>(
    strict("appointment_id", &OB::appointmentId), lenient("booking_start_datetime", &OB::startDate),
    lenient("booking_end_datetime", &OB::endDate), lenient("status", &OB::status), lenient("member", &OB::memberId),
    lenient("location_code", &OB::locationCode), lenient("location_name", &OB::locationName),
    strict("offer", &OB::offerId), lenient("offer_name", &OB::offerName), lenient("created_ts", &OB::createdTs),
    lenient("updated_ts", &OB::updatedTs), lenient("offer_extra_data", &OB::offerExtraData),
    lenient("location_extra_data", &OB::locationExtraData));
template <> inline constexpr const auto& keysOf<OfferBooking> = offerBookingKeys;

}  // namespace lumeno::detail
