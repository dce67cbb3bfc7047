#pragma once

// Point-conversion rates of the programme and base rates of sponsors.
//
// Every key is lenient: absent, null or a value of another type gives an absent field, so a
// rate fails to decode only when its value is not a JSON object. Encoding writes the keys in
// the order of the fields, each only when present (never as null). Dates stay texts. Neither
// record uses the decoding context.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "lumeno/core/json/record.hpp"

namespace lumeno {

/// One point-conversion rate of the programme.
struct SponsorDefaultRateResponse {
    std::optional<std::int64_t> id;               ///< "id"
    std::optional<std::int64_t> loyaltyAccount;   ///< "loyalty_account"
    std::optional<std::string> currencyCode;      ///< "currency_code"
    std::optional<double> conversionRate;         ///< "conversion_rate"
    std::optional<std::string> policyType;        ///< "policy_type"
    std::optional<std::int64_t> versionCounter;   ///< "version_counter"
    std::optional<std::int64_t> conversionValue;  ///< "conversion_value"
    std::optional<std::int64_t> currencyValue;    ///< "currency_value"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static SponsorDefaultRateResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<SponsorDefaultRateResponse>::decode(json, decoder);
    }
    /// Throws `EncodingError` when the rate is not finite or a text is not valid UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<SponsorDefaultRateResponse>::toJson(*this); }
};

/// One base rate of a sponsor.
struct SponsorBaseRateResponse {
    std::optional<std::int64_t> id;              ///< "id"
    std::optional<std::int64_t> sponsor;         ///< "sponsor"
    std::optional<double> baseRate;              ///< "base_rate"
    std::optional<std::int64_t> loyaltyAccount;  ///< "loyalty_account"
    std::optional<std::string> currencyCode;     ///< "currency_code"
    std::optional<std::string> status;           ///< "status"
    std::optional<std::string> startDate;        ///< "start_date", the text as received
    std::optional<std::string> endDate;          ///< "end_date", the text as received
    std::optional<std::int64_t> versionCounter;  ///< "version_counter"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static SponsorBaseRateResponse decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<SponsorBaseRateResponse>::decode(json, decoder);
    }
    /// Throws `EncodingError` when the rate is not finite or a text is not valid UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<SponsorBaseRateResponse>::toJson(*this); }
};

/// The policy whose rates the default base-rate call asks for; sent as "policy_type".
enum class SponsorDefaultBaseRatePolicy { award, reward };

/// The policy as sent: "Award" or "Reward".
constexpr std::string_view rawValue(SponsorDefaultBaseRatePolicy policy) {
    switch (policy) {
        case SponsorDefaultBaseRatePolicy::award: return "Award";
        case SponsorDefaultBaseRatePolicy::reward: return "Reward";
    }
    return {};
}

/// The policy of a raw value: exactly "Award" or "Reward" (case matters); nullopt otherwise.
constexpr std::optional<SponsorDefaultBaseRatePolicy> sponsorDefaultBaseRatePolicy(std::string_view raw) {
    for (auto policy : {SponsorDefaultBaseRatePolicy::award, SponsorDefaultBaseRatePolicy::reward})
        if (rawValue(policy) == raw) return policy;
    return std::nullopt;
}

}  // namespace lumeno
