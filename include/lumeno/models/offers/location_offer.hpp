#pragma once

// The short offer record that a sponsor location lists, and the template parameters that
// offers carry.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default).
//
// The offer date rule: a date arrives as text and is kept twice, the text as received and the
// instant parsed from it with the shared formats of `DateUtils` (the first format that reads
// the whole text wins, in the programme's time zone). An absent, empty or unparsable text
// leaves the instant at its default.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "lumeno/core/date_utils.hpp"
#include "lumeno/core/json/record.hpp"

namespace lumeno {

/// How far after its creation an offer record's end date lies until "end_date" says otherwise:
/// 25 years of 365 days.
inline constexpr std::chrono::seconds kOfferEndDateSpan{788'400'000};

/// The end date an offer record starts with: the current instant plus `kOfferEndDateSpan`.
Date defaultOfferEndDate();

/// The template parameters of an offer: time window and reward figures, all texts (a number
/// sent for any of them reads as absent).
///
/// `offerId` is no JSON key ("offer_id" is never read): under a decoding context whose
/// `transferId` is set it is that text read as a base-10 integer (0 when it is not one);
/// otherwise 0. The context is only read.
struct OfferParams {
    std::int64_t offerId = 0;
    std::optional<std::string> startHour;         ///< "offer_start_hour", lenient
    std::optional<std::string> startMinute;       ///< "offer_start_minute", lenient
    std::optional<std::string> endHour;           ///< "offer_end_hour", lenient
    std::optional<std::string> endMinute;         ///< "offer_end_minute", lenient
    std::optional<std::string> rewardType;        ///< "reward_type", lenient
    std::optional<std::string> rewardValue;       ///< "reward_value", lenient
    std::optional<std::string> rewardMultiplier;  ///< "reward_multiplier", lenient
    std::optional<std::string> rewardBonus;       ///< "reward_bonus", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static OfferParams decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<OfferParams>::decode(json, decoder);
    }
};

/// An offer as a sponsor location lists it under "offers". Decoding writes nothing into the
/// decoding context; keys are read in the order of the fields.
struct LocationOffer {
    std::int64_t id = 0;                         ///< "id", strict
    std::optional<std::string> status;           ///< "status", lenient
    std::optional<std::string> startDateString;  ///< "start_date", lenient, the text as received
    Date startDate = kFallbackDate;              ///< from "start_date" by the date rule
    std::optional<std::string> endDateString;    ///< "end_date", lenient, the text as received
    Date endDate = defaultOfferEndDate();        ///< from "end_date" by the date rule
    std::optional<std::string> primarySponsor;   ///< "primary_sponsor", lenient: a text only
    /// "template_params", lenient. Under a decoding context its `offerId` is this offer's id
    /// (not the id of the location that lists it); without one it is 0.
    std::optional<OfferParams> templateParams;

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static LocationOffer decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<LocationOffer>::decode(json, decoder);
    }
};

/// A record type with no fields; nothing in the library creates or reads it.
struct OfferDetails {};

}  // namespace lumeno
