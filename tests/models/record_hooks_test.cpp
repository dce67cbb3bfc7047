// What every record shares: `toJson` refuses what JSON text cannot carry, and what a record keeps
// of a reply's JSON outlives the reply.

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <tuple>
#include <typeinfo>

#include "api/response_decoding.hpp"
#include "core/error_keys.hpp"
#include "lumeno/models/activity/bit_response.hpp"
#include "models/activity/offer_action_keys.hpp"
#include "models/activity/receipts_keys.hpp"
#include "models/activity/transfer_transaction_keys.hpp"
#include "models/member/cards_keys.hpp"
#include "models/member/member_details_keys.hpp"
#include "models/member/member_response_keys.hpp"
#include "models/offers/lookups_keys.hpp"
#include "models/offers/offer_actions_keys.hpp"
#include "models/offers/privileges_keys.hpp"
#include "models/offers/rates_keys.hpp"
#include "models/offers/sponsor_config_keys.hpp"
#include "models/offers/sponsor_mini_model_keys.hpp"
#include "support/model_samples.hpp"

using namespace lumeno;

namespace {

template <class S> struct KeyOf : std::false_type {};
template <class R, class M> struct KeyOf<detail::Key<R, M>> : std::true_type { using Member = M; };

/// A value of `M` that JSON text cannot carry, or nullopt where every value of `M` can be written.
template <class M>
std::optional<M> unwritable() {
    if constexpr (json::IsOptional<M>::value) {
        if (auto inner = unwritable<typename M::value_type>()) return M(std::move(*inner));
        return std::nullopt;
    } else if constexpr (std::is_same_v<M, std::string>) {
        return M("caf\xC3");
    } else if constexpr (std::is_floating_point_v<M>) {
        return std::numeric_limits<M>::quiet_NaN();
    } else if constexpr (std::is_same_v<M, std::vector<std::string>>) {
        return M{"ok", "\xFF"};
    } else if constexpr (std::is_same_v<M, std::map<std::string, std::string>>) {
        return M{{"k", "\xC0\x80"}};
    } else if constexpr (std::is_same_v<M, JsonValue> || std::is_same_v<M, JsonObject>) {
        return M(JsonObject{{"rate", std::numeric_limits<double>::infinity()}});
    } else {
        return std::nullopt;
    }
}

/// `record` encodes; with any one keyed text, number or free-form value made unwritable, `toJson`
/// throws `EncodingError`. Every record but those made of integers and flags has such a field.
template <class R>
void checkRefusals(const R& record) {
    EXPECT_NO_THROW((void)record.toJson()) << typeid(R).name();
    int tried = 0;
    detail::keysOf<R>.forEach([&]<class Step>(const Step& step) {
        if constexpr (KeyOf<Step>::value) {
            if (auto bad = unwritable<typename KeyOf<Step>::Member>()) {
                R broken = record;
                broken.*step.member = std::move(*bad);
                EXPECT_THROW((void)broken.toJson(), EncodingError) << typeid(R).name() << " " << step.key;
                ++tried;
            }
        }
    });
    if constexpr (!std::is_same_v<R, OfferId> && !std::is_same_v<R, SponsorConfigResponse>) {
        EXPECT_GT(tried, 0) << typeid(R).name();
    }
}

}  // namespace

TEST(Records, ToJsonRefusesWhatJsonTextCannotCarry) {
    // Every record that encodes, as built by a host (or the library, for the transfer body).
    const auto records = std::tuple{
        TransferProfile{}, OfferAction{},
        UploadReceiptRequest("r", 1, "d", "l", "2024-01-02", 2.5, std::vector<std::string>{"u"}, "PHP", "m"),
        ReceiptResponse{}, detail::TransferTransaction{}, CardAddRequest{}, CardCancelRequest("lost", "gone"),
        MemberBalance{}, MemberDetails{}, MemberResponse{}, AppleLoginDetails("code"), LookUp::Localisation{},
        LookUp{}, Region{}, Country{}, GetCitiesResponse{}, SponsorConfigResponse{}, SponsorDefaultRateResponse{},
        SponsorBaseRateResponse{}, ProductChoice{}, SponsorMiniModel{}, OfferId{}, MemberOffer{},
        LumenoErrorResponse{}};
    std::apply([](const auto&... record) { (checkRefusals(record), ...); }, records);

    MemberBalance balance;
    balance.balance = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW((void)balance.toJson(), EncodingError);
    MemberDetails member;
    member.id = "\xFF";
    EXPECT_THROW((void)member.toJson(), EncodingError);
    member.id = "m1";
    member.extraData = ExtraData{.id = "", .customAttributes = {{"", "colour", "\xE2\x82"}}};
    EXPECT_THROW((void)member.toJson(), EncodingError);
}

TEST(Records, StepsThatReadAKeyFollowTheirRule) {
    // Wish-list replies: "success" is lenient and "removed" required when "success" holds no ids.
    test::checkRules(detail::wishlistUpdateResponseKeys);
    EXPECT_NO_THROW(WishlistUpdateResponse::decode(boost::json::parse(R"({"success":[]})"), Decoder{}));
}

TEST(Records, JsonTheyKeepOutlivesTheReply) {
    // A reply's JSON lives in memory freed with the reply; what records keep of it is copied out.
    const detail::ProviderResult reply = Response{
        .statusCode = 200, .data = R"({"mtomap":{"a":[1,"x",{"b":null}]},"status":"OK"})", .headers = {}, .url = ""};
    const auto bit = detail::decodeResponse<BitResponse>(reply);
    ASSERT_TRUE(bit.has_value());
    ASSERT_TRUE(bit->mtoMap.has_value());
    EXPECT_EQ(bit->mtoMap->storage().get(), boost::json::storage_ptr().get());
    EXPECT_EQ(*bit->mtoMap, boost::json::parse(R"({"a":[1,"x",{"b":null}]})"));
    const auto object = detail::decodeResponse<JsonObject>(reply);
    ASSERT_TRUE(object.has_value());
    EXPECT_EQ(object->storage().get(), boost::json::storage_ptr().get());
    EXPECT_EQ(object->at("status"), "OK");
}
