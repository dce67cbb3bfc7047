#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/activity/offer_action.hpp"

namespace lumeno::detail {

using TP = TransferProfile;
inline constexpr auto transferProfileKeys = fields<TP>(
    lenient("first_name", &TP::firstName), lenient("last_name", &TP::lastName),
    lenient("profile_image", &TP::profileImage), lenient("member_id", &TP::memberId));
template <> inline constexpr const auto& keysOf<TransferProfile> = transferProfileKeys;

// In writing order. Reading in this order finds the same first bad strict key as reading in
// field order would: the strict keys come in the same order either way.
using OA = OfferAction;
inline constexpr auto offerActionKeys = fields<OA>(
    lenient("offer_desktop_image", &OA::offerDesktopImage), lenient("subject_type", &OA::subjectType),
    strict("reward_tags", &OA::rewardTags), lenient("offer_mobile_image", &OA::offerMobileImage),
    lenient("type", &OA::type), nullWhenAbsent(lenient("subject", &OA::subject)), lenient("rule_id", &OA::ruleId),
    strict("privilege_quantity", &OA::privilegeQuantity), lenient("offer_name", &OA::offerName),
    lenient("subject_name", &OA::subjectName), lenient("operator", &OA::operator1), strict("value_n", &OA::valueN),
    lenient("attribute_type", &OA::attributeType), strict("privilege_codes", &OA::privilegeCodes),
    lenient("value_s", &OA::valueS), nullWhenAbsent(lenient("offer_id", &OA::offerId)),
    lenient("transfer_action", &OA::transferAction), lenient("primary_member_id", &OA::primaryMemberId),
    lenient("third_party_member_id", &OA::thirdPartyMemberId), lenient("sender_data", &OA::senderData),
    lenient("receiver_data", &OA::receiverData), strict("pending_days", &OA::pendingDays),
    lenient("pending_uuid", &OA::pendingUUID));
template <> inline constexpr const auto& keysOf<OfferAction> = offerActionKeys;

}  // namespace lumeno::detail
