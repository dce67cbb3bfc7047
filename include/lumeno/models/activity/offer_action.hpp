#pragma once

// Offer actions: what an offer's rule produced for an activity record.
//
// Rule words used below, one per key: strict (absent or null gives the default; a value of
// another type fails the record), lenient (absent, null or a value of another type gives the
// default). Neither record uses the decoding context.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lumeno/core/json/record.hpp"

namespace lumeno {

/// The short profile of the sender or the receiver of a point transfer. Every key lenient.
struct TransferProfile {
    std::optional<std::string> firstName;     ///< "first_name"
    std::optional<std::string> lastName;      ///< "last_name"
    std::optional<std::string> profileImage;  ///< "profile_image"
    std::optional<std::string> memberId;      ///< "member_id"

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static TransferProfile decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<TransferProfile>::decode(json, decoder);
    }
    /// Writes the keys above, leaving out the key of an absent field. Throws `EncodingError`
    /// when a text is not valid UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<TransferProfile>::toJson(*this); }
};

/// One action of an offer's rule: the offer and rule, what it gave, the condition it tested
/// and, for a point transfer, the members on both sides.
///
/// The encoder's output is a stored format (an activity record keeps its actions as this
/// text): the keys are written in the order below, except "subject_type" and "reward_tags"
/// before "offer_mobile_image"; the lists and numbers always, "subject" and "offer_id" as null
/// when absent, every other absent field left out. Decoding what the
/// encoder wrote gives back an equal value.
struct OfferAction {
    std::optional<std::string> offerDesktopImage;  ///< "offer_desktop_image", lenient
    std::optional<std::string> subjectType;        ///< "subject_type", lenient
    std::vector<std::string> rewardTags;           ///< "reward_tags", strict
    std::optional<std::string> offerMobileImage;   ///< "offer_mobile_image", lenient
    std::optional<std::string> type;               ///< "type", lenient
    std::optional<std::string> subject;            ///< "subject", lenient
    std::optional<std::string> ruleId;             ///< "rule_id", lenient
    std::int64_t privilegeQuantity = 0;            ///< "privilege_quantity", strict
    std::optional<std::string> offerName;          ///< "offer_name", lenient
    std::optional<std::string> subjectName;        ///< "subject_name", lenient
    std::optional<std::string> operator1;          ///< "operator", lenient
    double valueN = 0;                             ///< "value_n", strict
    std::optional<std::string> attributeType;      ///< "attribute_type", lenient
    std::vector<std::string> privilegeCodes;       ///< "privilege_codes", strict
    std::optional<std::string> valueS;             ///< "value_s", lenient
    std::optional<std::string> offerId;            ///< "offer_id", lenient
    std::optional<std::string> transferAction;     ///< "transfer_action", lenient
    std::optional<std::string> primaryMemberId;    ///< "primary_member_id", lenient
    std::optional<std::string> thirdPartyMemberId; ///< "third_party_member_id", lenient
    std::optional<TransferProfile> senderData;     ///< "sender_data", lenient (any failure gives absent)
    std::optional<TransferProfile> receiverData;   ///< "receiver_data", lenient (any failure gives absent)
    double pendingDays = 0;                        ///< "pending_days", strict
    std::optional<std::string> pendingUUID;        ///< "pending_uuid", lenient

    /// Reads the record by the rules above; throws `DecodingError` when one is broken.
    static OfferAction decode(const JsonValue& json, const Decoder& decoder) {
        return detail::Record<OfferAction>::decode(json, decoder);
    }
    /// Throws `EncodingError` when a number is not finite or a text is not valid UTF-8.
    [[nodiscard]] JsonValue toJson() const { return detail::Record<OfferAction>::toJson(*this); }
};

}  // namespace lumeno
