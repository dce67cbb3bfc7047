#include "lumeno/models/member/member_details.hpp"

#include "lumeno/core/json/readers.hpp"
#include "models/json_writer.hpp"

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
    detail::putPresent(object, "loyalty_account", loyaltyAccount);
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
    out.firstName = in.lenient<std::string>("first_name");
    out.lastName = in.lenient<std::string>("last_name");
    out.email = in.lenient<std::string>("email");
    out.mobile = in.lenient<std::string>("mobile");
    out.dateOfBirth = in.lenient<std::string>("date_of_birth");
    out.profileImage = in.lenient<std::string>("profile_image");
    out.status = in.lenient<std::string>("status");
    out.balances = in.strict<std::vector<MemberBalance>>("balances");
    out.token = in.lenient<std::string>("token");
    out.expiresIn = in.lenient<std::string>("expires_in");
    out.favoriteSponsors = in.strict<std::vector<SponsorMiniModel>>("favorite_sponsors");
    out.extraData = in.lenient<ExtraData>("extra_data");
    return out;
}

JsonValue MemberDetails::toJson() const {
    JsonObject object;
    detail::putPresent(object, "id", id);
    detail::putPresent(object, "first_name", firstName);
    detail::putPresent(object, "last_name", lastName);
    detail::putPresent(object, "email", email);
    detail::putPresent(object, "mobile", mobile);
    detail::putPresent(object, "date_of_birth", dateOfBirth);
    detail::putPresent(object, "profile_image", profileImage);
    detail::putPresent(object, "status", status);
    object["balances"] = json::encodeValue(balances);
    detail::putPresent(object, "token", token);
    detail::putPresent(object, "expires_in", expiresIn);
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
