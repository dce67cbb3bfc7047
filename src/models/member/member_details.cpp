#include "lumeno/models/member/member_details.hpp"

#include <span>
#include <string_view>
#include <utility>

#include "lumeno/core/json/readers.hpp"

namespace lumeno {

namespace {

/// A member id as the platform sends it: a text, or an integral number kept as decimal text.
struct MemberIdText {
    std::string text;

    static MemberIdText decode(const JsonValue& json, const Decoder&) {
        if (json.is_string()) return {std::string(json.get_string())};
        if (auto number = json::toInt64(json)) return {std::to_string(*number)};
        json::throwMismatch("String or Int", json);
    }
};

using TextField = std::pair<std::string_view, std::optional<std::string> MemberDetails::*>;

// The profile's text keys, read leniently and written when present, in decoding order:
// the personal texts right after the id, the token texts after the balances.
constexpr TextField personalTexts[] = {
    {"first_name", &MemberDetails::firstName}, {"last_name", &MemberDetails::lastName},
    {"email", &MemberDetails::email},          {"mobile", &MemberDetails::mobile},
    {"date_of_birth", &MemberDetails::dateOfBirth}, {"profile_image", &MemberDetails::profileImage},
    {"status", &MemberDetails::status},
};
constexpr TextField tokenTexts[] = {{"token", &MemberDetails::token}, {"expires_in", &MemberDetails::expiresIn}};

void readTexts(const KeyedReader& in, MemberDetails& out, std::span<const TextField> fields) {
    for (const auto& [key, field] : fields) out.*field = in.lenient<std::string>(key);
}

void writeTexts(JsonObject& object, const MemberDetails& member, std::span<const TextField> fields) {
    for (const auto& [key, field] : fields) json::putPresent(object, key, member.*field);
}

JsonObject attributesAsObject(const ExtraData& data) {
    JsonObject object;
    for (const auto& attribute : data.customAttributes) object[attribute.key] = attribute.value;
    return object;
}

}  // namespace

MemberBalance MemberBalance::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    MemberBalance out;
    if (const DataTransferModel* context = in.context()) out.memberId = context->transferId;
    out.loyaltyAccountId = in.strict<std::int64_t>("loyalty_account_id");
    out.loyaltyAccount = in.lenient<std::string>("loyalty_account");
    out.balance = in.strict<double>("balance");
    return out;
}

JsonValue MemberBalance::toJson() const {
    JsonObject object{{"loyalty_account_id", loyaltyAccountId}};
    json::putPresent(object, "loyalty_account", loyaltyAccount);
    object["balance"] = balance;
    return object;
}

MemberDetails MemberDetails::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    MemberDetails out;
    if (auto id = in.strictOptional<MemberIdText>("id")) out.id = std::move(id->text);
    if (DataTransferModel* context = in.context()) {
        context->transferId = out.id;
        context->prefixExtraData = "md";
    }
    readTexts(in, out, personalTexts);
    out.balances = in.strict<std::vector<MemberBalance>>("balances");
    readTexts(in, out, tokenTexts);
    out.favoriteSponsors = in.strict<std::vector<SponsorMiniModel>>("favorite_sponsors");
    out.extraData = in.lenient<ExtraData>("extra_data");
    return out;
}

JsonValue MemberDetails::toJson() const {
    JsonObject object;
    json::putPresent(object, "id", id);
    writeTexts(object, *this, personalTexts);
    object["balances"] = json::encodeValue(balances);
    writeTexts(object, *this, tokenTexts);
    object["favorite_sponsors"] = json::encodeValue(favoriteSponsors);
    if (extraData) object["extra_data"] = attributesAsObject(*extraData);
    return object;
}

MemberDetailsConcise MemberDetailsConcise::decode(const JsonValue& json, const Decoder& decoder) {
    const KeyedReader in(json, decoder);
    MemberDetailsConcise out;
    out.id = in.lenient<std::string>("id");
    out.profileImage = in.lenient<std::string>("profile_image");
    out.firstName = in.lenient<std::string>("first_name");
    out.lastName = in.lenient<std::string>("last_name");
    out.middleName = in.lenient<std::string>("middle_name");
    out.memberName = in.lenient<std::string>("member_name");
    return out;
}

}  // namespace lumeno
