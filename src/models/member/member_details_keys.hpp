#pragma once

#include "core/json/fields.hpp"
#include "lumeno/models/member/member_details.hpp"

namespace lumeno::detail {

/// A member id as the platform sends it: a text, or an integral number kept as decimal text.
inline std::optional<std::string> memberIdText(const JsonValue* json) {
    if (json == nullptr || json->is_null()) return std::nullopt;
    if (json->is_string()) return std::string(json->get_string());
    if (auto number = json::toInt64(*json)) return std::to_string(*number);
    json::throwMismatch("String or Int", *json);
}

using MB = MemberBalance;
inline constexpr auto memberBalanceKeys = fields<MB>(
    ContextStep<MB>{[](MB& balance, DataTransferModel& context) { balance.memberId = context.transferId; }},
    strict("loyalty_account_id", &MB::loyaltyAccountId), lenient("loyalty_account", &MB::loyaltyAccount),
    strict("balance", &MB::balance));
template <> inline constexpr const auto& keysOf<MemberBalance> = memberBalanceKeys;

using MD = MemberDetails;
inline constexpr auto memberDetailsKeys = fields<MD>(
    Step<MD>{.read = [](const KeyedReader& in, MD& out) { out.id = memberIdText(in.find("id")); },
             .write = [](const MD& member, JsonObject& out, Absent) {
                 if (member.id) out["id"] = *member.id;
             },
             .key = "id",
             .rule = Rule::strict,
             .mismatch = [] { return JsonValue(true); }},
    ContextStep<MD>{[](MD& member, DataTransferModel& context) {
        context.transferId = member.id;
        context.prefixExtraData = "md";
    }},
    lenient("first_name", &MD::firstName), lenient("last_name", &MD::lastName), lenient("email", &MD::email),
    lenient("mobile", &MD::mobile), lenient("date_of_birth", &MD::dateOfBirth),
    lenient("profile_image", &MD::profileImage), lenient("status", &MD::status), strict("balances", &MD::balances),
    lenient("token", &MD::token), lenient("expires_in", &MD::expiresIn),
    strict("favorite_sponsors", &MD::favoriteSponsors),
    // The attribute map goes back out as one flat object of its keys and value texts.
    Step<MD>{.read = [](const KeyedReader& in, MD& out) { in.lenient(in.find("extra_data"), out.extraData); },
             .write = [](const MD& member, JsonObject& out, Absent) {
                 if (!member.extraData) return;
                 JsonObject& attributes = out["extra_data"].emplace_object();
                 for (const auto& attribute : member.extraData->customAttributes)
                     attributes[attribute.key] = attribute.value;
             },
             .key = "extra_data",
             .mismatch = mismatchFor<ExtraData>()});
template <> inline constexpr const auto& keysOf<MemberDetails> = memberDetailsKeys;

using MDC = MemberDetailsConcise;
inline constexpr auto memberDetailsConciseKeys = fields<MDC>(
    lenient("id", &MDC::id), lenient("profile_image", &MDC::profileImage), lenient("first_name", &MDC::firstName),
    lenient("last_name", &MDC::lastName), lenient("middle_name", &MDC::middleName),
    lenient("member_name", &MDC::memberName));
template <> inline constexpr const auto& keysOf<MemberDetailsConcise> = memberDetailsConciseKeys;

}  // namespace lumeno::detail
