#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "lumeno/core/date_utils.hpp"
#include "lumeno/core/json/record.hpp"

namespace lumeno::detail {

/// The body that asks the platform to create a point-transfer activity. Every key is required
/// when decoding and always written when encoding, in the order of the fields. An amount of 0
/// or below is not refused here.
struct TransferTransaction {
    std::string activityReferrer;  ///< "activity_referrer": the sending member's id
    std::string bitCategory;       ///< "h_bit_category"
    std::string date;              ///< "h_bit_date"
    std::string bitType;           ///< "h_bit_type"
    std::string memberId;          ///< "h_member_id": the receiving member's id
    std::int64_t programId = 0;    ///< "h_program_id"
    std::int64_t sponsorId = 0;    ///< "h_sponsor_id"
    double transferAmount = 0;     ///< "transfer_amount"

    /// The transfer of `transferAmount` points from `senderID` to `recipientID`: category
    /// "ACCRUAL", type "POINTS_TRANSFER", sponsor 1, the programme of `Lumeno::shared()`, and
    /// `now` written as "yyyy-MM-dd'T'HH:mm:ssZ" in the programme's time zone with the
    /// "en_US_POSIX" locale (Gregorian calendar, ASCII digits, 24-hour clock).
    static TransferTransaction pointTransfer(std::string senderID, std::string recipientID, double transferAmount,
                                             Date now = std::chrono::system_clock::now());

    static TransferTransaction decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<TransferTransaction>::decode(json, decoder);
    }
    /// Throws `EncodingError` when the amount is not finite or a text is not valid UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<TransferTransaction>::toJson(*this); }
};

}  // namespace lumeno::detail
