#include <gtest/gtest.h>

#include <boost/json.hpp>

#include <chrono>

#include "lumeno/models/offers/location_offer.hpp"
#include "lumeno/models/offers/offer.hpp"
#include "lumeno/models/offers/offer_actions.hpp"
#include "lumeno/models/offers/offer_booking.hpp"
#include "lumeno/models/offers/recommended_offer.hpp"
#include "models/offers/location_offer_keys.hpp"
#include "models/offers/offer_actions_keys.hpp"
#include "models/offers/offer_booking_keys.hpp"
#include "models/offers/offer_keys.hpp"
#include "models/offers/recommended_offer_keys.hpp"
#include "support/model_samples.hpp"
#include "support/offer_sample.hpp"

using namespace lumeno;
using namespace std::chrono;
using boost::json::parse;
using json::encodeValue;
using test::row;

namespace {

using namespace detail;
constexpr test::View params = row<offerParamsKeys>;
constexpr test::View locationOffer = row<locationOfferKeys>;
constexpr test::View presentment = row<offerPresentmentKeys>;
constexpr test::View action = test::row<memberActionKeys>;
constexpr test::View offerId = test::encoded<OfferId>;
constexpr test::View memberOffer = test::encoded<MemberOffer>;
constexpr test::View booking = row<offerBookingKeys>;

/// What offers and recommended offers share that can break: [id, rank, sponsors, product ids,
/// locations, featured rank, tags, has location links, has template parameters].
template <class R>
JsonValue offer(const JsonValue& json, const Decoder& decoder) {
    const R o = R::decode(json, decoder);
    JsonArray products;
    for (const auto& product : o.products) products.push_back(product.id);
    return JsonArray{o.id, o.rank, encodeValue(o.sponsors), products, encodeValue(o.locations),
                     encodeValue(o.featuredRank), encodeValue(o.tags), o.locationUrls.has_value(),
                     o.templateParams.has_value()};
}

/// An offer's primary sponsor and short locations: [text, sponsor record's id, short location ids].
JsonValue sponsorAndPlaces(const JsonValue& json, const Decoder& decoder) {
    const Offer o = Offer::decode(json, decoder);
    JsonArray places;
    for (const auto& location : o.locationsData) places.push_back(location.id);
    return JsonArray{JsonValue(o.primarySponsor), o.primarySponsorData ? JsonValue(o.primarySponsorData->id) : nullptr,
                     places};
}

/// A wish-list reply as [added or removed, its ids, failed ids].
JsonValue wishlist(const JsonValue& json, const Decoder& decoder) {
    const auto reply = WishlistUpdateResponse::decode(json, decoder);
    const auto ids = [](const std::vector<OfferId>& offers) {
        JsonArray out;
        for (const auto& offer : offers) out.push_back(offer.id);
        return out;
    };
    const auto* added = std::get_if<WishlistUpdateResponse::Added>(&reply.update);
    return JsonArray{added ? "added" : "removed",
                     ids(added ? added->offers : std::get<WishlistUpdateResponse::Removed>(reply.update).offers),
                     ids(reply.failure)};
}

constexpr Date fixedNow = sys_days(2024y / 6 / 1) + 12h;

/// Points the offers' clock at `fixedNow` for the life of a test.
class OfferDates : public ::testing::Test {
protected:
    void SetUp() override { offerClock = [] { return fixedNow; }; }
    void TearDown() override { offerClock = saved_; }

private:
    Date (*saved_)() = offerClock;
};

/// A date as milliseconds since 1970, for comparing.
JsonValue epochMillis(Date date) { return duration_cast<milliseconds>(date.time_since_epoch()).count(); }

/// The start and end of any offer record: [start text, start, end text, end].
template <class R>
JsonValue dates(const JsonValue& json, const Decoder& decoder) {
    const R r = R::decode(json, decoder);
    return JsonArray{json::encodeValue(r.startDateString), epochMillis(r.startDate), json::encodeValue(r.endDateString),
                     epochMillis(r.endDate)};
}

}  // namespace

TEST_F(OfferDates, EachRecordKeepsTheTextAndParsesTheInstant) {
    const std::int64_t fallback = 1000, end = 2505643200000;  // 2024-06-01T12:00Z + 788,400,000 s
    // Zone-less texts read in the programme's zone, whichever the process configured first.
    const auto local = [](const char* text) { return epochMillis(*toDate(text, DateUtils::shared()->dateFormats())); };
    const std::pair<const char*, JsonValue> cases[] = {
        {"{}", {nullptr, fallback, nullptr, end}},
        {R"({"start_date":"2024-02-29T10:00:00+0000","end_date":"2024-03-01T09:30:00.250+0100"})",
         {"2024-02-29T10:00:00+0000", 1709200800000, "2024-03-01T09:30:00.250+0100", 1709281800250}},
        {R"({"start_date":"2023-05-01","end_date":"2023-05-01T08:00:00"})",
         {"2023-05-01", local("2023-05-01"), "2023-05-01T08:00:00", local("2023-05-01T08:00:00")}},
        // Empty, unparsable and mistyped texts leave the instants at their defaults.
        {R"({"start_date":"","end_date":"soon"})", {"", fallback, "soon", end}},
        {R"({"start_date":20240101,"end_date":null,"startDate":"2024-01-01","endDate":"2024-01-01"})",
         {nullptr, fallback, nullptr, end}},
    };
    for (const auto& [text, expected] : cases) {
        for (const test::View view : {dates<LocationOffer>, dates<Offer>, dates<RecommendedOffer>}) {
            for (const auto& decoder : {Decoder{}, Decoder::withFreshContext()})
                EXPECT_EQ(view(parse(text), decoder), expected) << text;
        }
    }
    EXPECT_EQ(epochMillis(LocationOffer{}.endDate), JsonValue(end));
    EXPECT_EQ(epochMillis(Offer{}.endDate), JsonValue(end));
    const auto launched = [](const char* text) { return epochMillis(Offer::decode(parse(text), Decoder{}).launchDate); };
    EXPECT_EQ(launched(R"({"launch_date":"2024-01-02T03:04:05+0000"})"), JsonValue(1704164645000));
    EXPECT_EQ(launched(R"({"launch_date":"later"})"), JsonValue(fallback));
    const auto json = parse(R"({"launch_date":"2024-01-02"})");
    EXPECT_EQ(epochMillis(RecommendedOffer::decode(json, Decoder{}).launchDate), JsonValue(fallback));  // no key
}

TEST(LocationOffers, Samples) {
    const test::Sample samples[] = {
        // Template parameters are texts only.
        {params, "{}", "[null,null,null,null,null,null,null,null]"},
        {params, R"({"offer_start_hour":"09","offer_start_minute":"30","offer_end_hour":"18","offer_end_minute":"00",
                     "reward_type":"points","reward_value":"100","reward_multiplier":"2","reward_bonus":"5","offer_id":7})",
         R"(["09","30","18","00","points","100","2","5"])"},
        {params, R"({"offer_start_hour":9,"reward_value":100.5})", "[null,null,null,null,null,null,null,null]"},
        // [id, status, start text, end text, primary sponsor, template parameters].
        {locationOffer, "{}", "[0,null,null,null,null,null]"},
        {locationOffer, R"({"id":5,"status":"ACTIVE","primary_sponsor":{"id":1},"template_params":"x"})",
         R"([5,"ACTIVE",null,null,null,null])"},
        {locationOffer, R"({"id":5,"primary_sponsor":"Cafe","template_params":{}})", R"([5,null,null,null,"Cafe",true])"},
        {locationOffer, R"({"id":"5"})", nullptr},
    };
    test::checkSamples(samples);
    test::checkSamples(samples, Decoder::withFreshContext());
}

TEST(LocationOffers, EveryKeyFollowsItsRule) {
    test::checkRules(offerParamsKeys), test::checkRules(locationOfferKeys);
}

TEST(LocationOffers, OfferIdsFromTheContext) {
    // Parameters and member actions read the context's transfer id as an integer; a member action
    // reads its own "offer_id" (even a mistyped one) only when there is none.
    const auto json = parse(R"({"offer_id":7})"), mistyped = parse(R"({"offer_id":"seven"})");
    const auto decoder = Decoder::withFreshContext();
    EXPECT_EQ(std::tuple(OfferParams::decode(json, Decoder{}).offerId, MemberAction::decode(json, Decoder{}).offerId),
              std::tuple(0, 7));
    const std::pair<std::optional<std::string>, std::int64_t> cases[] = {
        {"12", 12}, {"+12", 12}, {"-3", -3}, {"abc", 0}, {"", 0}, {" 12", 0}, {"+-1", 0}, {"9223372036854775808", 0},
    };
    for (const auto& [transferId, expected] : cases) {
        decoder.transferRef()->transferId = transferId;
        EXPECT_EQ(OfferParams::decode(json, decoder).offerId, expected) << *transferId;
        EXPECT_EQ(MemberAction::decode(mistyped, decoder).offerId, expected) << *transferId;
    }
    decoder.transferRef()->transferId.reset();
    EXPECT_EQ(std::tuple(OfferParams::decode(json, decoder).offerId, MemberAction::decode(json, decoder).offerId),
              std::tuple(0, 7));

    // A location offer hands its own id to its parameters, whatever the enclosing location wrote.
    decoder.transferRef()->transferId = "31";
    EXPECT_EQ(LocationOffer::decode(parse(R"({"id":5,"template_params":{}})"), decoder).templateParams->offerId, 5);
    EXPECT_EQ(decoder.transferRef()->transferId, "31");
    EXPECT_EQ(LocationOffer::decode(parse(R"({"id":5,"template_params":{}})"), Decoder{}).templateParams->offerId, 0);
}

TEST(OfferActions, Samples) {
    const test::Sample samples[] = {
        {presentment, R"({"id":1,"offer":2,"title":"t","subtitle":"s","image":"i","image_url":"u","header_html":"h",
                          "detail_html":"d"})", R"([1,2,"t","s","i","u","h","d"])"},
        {presentment, R"({"title":5})", "[0,0,null,null,null,null,null,null]"},
        {presentment, R"({"id":"1"})", nullptr},
        // Without a decoding context a member action reads its own "offer_id".
        {action, R"({"offer_id":12,"accepted":true})", "[true,0]"},
        {action, R"({"rating":null})", "[false,0]"}, {action, R"({"accepted":"yes"})", nullptr},
        {action, R"({"offer_id":"12"})", nullptr},
        {offerId, R"({"offer_id":3})", R"({"offer_id":3})"}, {offerId, "{}", nullptr},
        {offerId, R"({"offer_id":null})", nullptr},
        // Wish-list replies: "success" wins when it holds offer ids, else "removed" must.
        {wishlist, R"({"success":[{"offer_id":1}]})", R"(["added",[1],[]])"},
        {wishlist, R"({"removed":[{"offer_id":2}],"failure":[{"offer_id":3}]})", R"(["removed",[2],[3]])"},
        {wishlist, R"({"success":null,"removed":[]})", R"(["removed",[],[]])"},
        {wishlist, R"({"success":[{"id":1}],"removed":[{"offer_id":4}],"failure":[{}]})", R"(["removed",[4],[]])"},
        {wishlist, "{}", nullptr}, {wishlist, R"({"failure":[]})", nullptr},
        {wishlist, R"({"removed":[{"offer_id":4},{}]})", nullptr},
        // Member offers encode back only what they hold, "mtoMap" last.
        {memberOffer, "{}", "{}"}, {memberOffer, R"({"offerID":5,"updated":null})", R"({"offerID":5})"},
        {memberOffer, R"({"memberID":"m","offerID":5,"userResponse":"ACCEPTED","availmentCount":2,
                          "mtoMap":{"a":"1"},"updated":true,"notTargeted":false})",
         R"({"memberID":"m","offerID":5,"userResponse":"ACCEPTED","availmentCount":2,"updated":true,
             "notTargeted":false,"mtoMap":{"a":"1"}})"},
        {memberOffer, R"({"mtoMap":{"a":1}})", nullptr}, {memberOffer, R"({"memberID":5})", nullptr},
    };
    test::checkSamples(samples);
    EXPECT_EQ(json::encodeValue(std::vector<OfferId>{{12}, {15}}), parse(R"([{"offer_id":12},{"offer_id":15}])"));
    const MemberOffer response{"m", 5, std::nullopt, std::nullopt, {{{"b", "2"}, {"a", "1"}}}, std::nullopt, true};
    EXPECT_EQ(boost::json::serialize(response.toJson()), R"({"memberID":"m","offerID":5,"notTargeted":true,"mtoMap":{"a":"1","b":"2"}})");
}

TEST(OfferActions, EveryKeyFollowsItsRule) {
    // The wish-list reply's one keyed rule ("failure") is in the samples: a reply needs "removed" or "success".
    test::checkRules(offerPresentmentKeys), test::checkRules(memberActionKeys), test::checkRules(offerIdKeys);
    test::checkRules(memberOfferKeys);
}

TEST(Offers, Samples) {
    const char* none = "[0,0,[],[],[],null,[],false,false]";
    const std::pair<const char*, const char*> shared[] = {
        {"{}", none},
        {R"({"id":null,"rank":null,"status":5,"featured_rank":"1","tags":null,"location_urls":null,"products":null,
            "template_params":3,"startDate":"x","endDate":7})", none},
        {R"({"id":10,"rank":2,"sponsors":[3],"products":[{"id":1},{"id":2}],"locations":[4],"featured_rank":1,
            "tags":["a"],"location_urls":{},"template_params":{}})", R"([10,2,[3],[1,2],[4],1,["a"],true,true])"},
        {R"({"locations":["4"],"tags":["a",1]})", none},
        {R"({"id":"3"})", nullptr}, {R"({"rank":"2"})", nullptr}, {R"({"location_urls":"u"})", nullptr},
        // "sponsors" is required once present; "products" strict and all-or-nothing.
        {R"({"sponsors":null})", nullptr}, {R"({"sponsors":[1,"2"]})", nullptr},
        {R"({"products":[{"id":1},{"id":"2"}]})", nullptr},
    };
    std::vector<test::Sample> samples;
    for (const auto& [json, expected] : shared)
        samples.insert(samples.end(), {{offer<Offer>, json, expected}, {offer<RecommendedOffer>, json, expected}});
    samples.insert(samples.end(), {
        // The primary sponsor: a text, a sponsor record under either key, or nothing.
        {sponsorAndPlaces, R"({"primary_sponsor":"Cafe"})", R"(["Cafe",null,[]])"},
        {sponsorAndPlaces, R"({"primary_sponsor":{"id":5}})", R"(["",5,[]])"},
        {sponsorAndPlaces, R"({"primary_sponsor":"Cafe","primary_sponsor_data":{"id":6}})", R"(["Cafe",6,[]])"},
        {sponsorAndPlaces, R"({"primary_sponsor":{"id":5},"primary_sponsor_data":7})", R"(["",null,[]])"},
        {sponsorAndPlaces, R"({"primary_sponsor":{"id":5},"primary_sponsor_data":null})", R"(["",5,[]])"},
        {sponsorAndPlaces, R"({"primary_sponsor":12,"primary_sponsor_data":{"country":"PH"}})", R"(["",null,[]])"},
        // Short locations: strict, or from "locations" when "locations_data" is null, leniently
        // (its usual list of ids gives none).
        {sponsorAndPlaces, R"({"locations":[4,5],"locations_data":[{"id":8}]})", R"(["",null,[8]])"},
        {sponsorAndPlaces, R"({"locations":[4,5],"locations_data":null})", R"(["",null,[]])"},
        {sponsorAndPlaces, R"({"locations":[{"id":8}],"locations_data":null})", R"(["",null,[8]])"},
        {sponsorAndPlaces, R"({"locations_data":[{"id":"8"}]})", nullptr},
        {sponsorAndPlaces, R"({"locations_data":"x"})", nullptr},
    });
    test::checkSamples(samples);
    test::checkSamples(samples, Decoder::withFreshContext());
    EXPECT_EQ(Offer::decode(parse(R"({"locations":[4,5],"locations_data":null})"), Decoder{}).locations,
              (std::vector<std::int64_t>{4, 5}));
}

TEST(Offers, EveryKeyFollowsItsRule) {
    for (const auto& decoder : {Decoder{}, Decoder::withFreshContext()})
        test::checkRules(offerKeys, decoder), test::checkRules(recommendedOfferKeys, decoder);
}

TEST(Offers, NestedRecordsCarryTheOffersOwnId) {
    const auto json = parse(R"([
        {"id":42,"extra_data":{"k":"v"},"action":{"offer_id":1},"template_params":{},"location_urls":{"menu":"m"}},
        {"id":43,"primary_sponsor":{"id":5,"extra_data":{}},"action":{},"location_urls":{"menu":"m"},
         "products":[{"id":7,"product_extra_data":{}},{"id":9}],"template_params":{},"extra_data":{"k":"v"}}])");
    const auto decoder = Decoder::withFreshContext();
    const auto ownIds = [](const auto& o) {
        SCOPED_TRACE(o.id);
        EXPECT_EQ(o.templateParams->offerId, o.id);
        EXPECT_EQ(o.extraData->customAttributes.at(0).id, "o" + std::to_string(o.id) + "k");
        EXPECT_EQ(o.locationUrls->locationUrls.at(0).id, "lu" + std::to_string(o.id) + "menu");
    };
    for (const auto& o : json::decodeValue<std::vector<RecommendedOffer>>(json, decoder)) ownIds(o);
    const auto offers = json::decodeValue<std::vector<Offer>>(json, decoder);
    for (const auto& o : offers) {
        ownIds(o);
        EXPECT_EQ(o.actions->offerId, o.id);
    }
    // The sponsor and the products still identify their own attribute maps; the context is left
    // with the last offer's values.
    EXPECT_EQ(std::tuple(offers[1].primarySponsorData->extraData->id, offers[1].products[0].extraData->id),
              std::tuple("s5", "p7"));
    const DataTransferModel& context = *decoder.transferRef();
    EXPECT_EQ(std::tuple(context.transferId, context.prefixExtraData, context.prefixLocationUrls),
              std::tuple("43", "o", "lu"));

    // Without a context the nested records build identifiers from nothing.
    const auto alone = Offer::decode(json.at(0), Decoder{});
    EXPECT_EQ(std::tuple(alone.actions->offerId, alone.templateParams->offerId, alone.extraData->id,
                         alone.locationUrls->locationUrls.at(0).id),
              std::tuple(1, 0, "", "menu"));
}

TEST_F(OfferDates, ARealisticOfferFieldByField) {
    const auto json = parse(test::realisticOffer);
    const auto decoder = Decoder::withFreshContext();
    // Every keyed field that holds a plain value holds what was sent ("primary_sponsor": null reads as "").
    for (const auto& [key, value] : test::shown(offerKeys, json, decoder)) {
        const JsonValue& sent = json.at(key);
        const bool records = sent.is_object() || (sent.is_array() && !sent.get_array().empty() && sent.at(0).is_object());
        if (!records) {
            EXPECT_EQ(value, key == "primary_sponsor" ? JsonValue("") : sent) << key;
        }
    }
    // The dates and the nested records.
    const Offer o = Offer::decode(json, decoder);
    EXPECT_EQ(std::tuple(epochMillis(o.startDate), epochMillis(o.endDate), o.launchDate),
              std::tuple(JsonValue(1709222400000), JsonValue(1735660799000), *DateUtils::shared()->date("2024-02-25")));
    const Sponsor& sponsor = *o.primarySponsorData;
    EXPECT_EQ(std::tuple(sponsor.id, sponsor.name, sponsor.nameLowercased, sponsor.rank, sponsor.isHost, sponsor.country,
                         sponsor.city, sponsor.cityName, sponsor.endDate, sponsor.timings.size(), sponsor.timings[1].day),
              std::tuple(12, "Cafe Central", "cafecentral", 1, false, 63, 1376, "Makati", std::nullopt, 2u, 7));
    EXPECT_EQ(sponsor.extraData->customAttributes,
              (std::vector<CustomAttribute>{{"s12tier", "tier", "gold"}, {"s12partner_since", "partner_since", "2019"}}));
    ASSERT_EQ(o.products.size(), 2u);
    const Product& platter = o.products[0];
    EXPECT_EQ(std::tuple(platter.id, platter.product, platter.name, platter.awardPrice, platter.cost, platter.category,
                         platter.currencyId, platter.currencyName, o.products[1].id, o.products[1].awardPrice),
              std::tuple(801, 55, "Brunch platter", 250.0, 480.5, "Food", "PHP", "Philippine peso", 802, 90.0));
    EXPECT_EQ(platter.extraData->customAttributes,
              (std::vector<CustomAttribute>{{"p801calories", "calories", "950"}, {"p801vegetarian", "vegetarian", "false"}}));
    ASSERT_EQ(o.locationsData.size(), 2u);
    const LocationCompact& place = o.locationsData[0];
    EXPECT_EQ(std::tuple(place.id, place.name, place.code, place.latitude, place.longitude, o.locationsData[1].image),
              std::tuple(101, "Cafe Central Legaspi", "CC-LEG", 14.5547, 121.0244, std::nullopt));
    EXPECT_EQ(std::tuple(o.actions->offerId, o.actions->accepted, o.actions->rating), std::tuple(4127, true, 5));
    EXPECT_EQ(o.locationUrls->locationUrls,
              (std::vector<CustomAttribute>{{"lu4127menu", "menu", "https://cafecentral.example.com/menu"},
                                            {"lu4127branches", "branches", "2"}}));
    const OfferParams& t = *o.templateParams;
    EXPECT_EQ(std::tuple(t.startHour, t.startMinute, t.endHour, t.endMinute, t.rewardType, t.rewardValue,
                         t.rewardMultiplier, t.rewardBonus, t.offerId),
              std::tuple("07", "00", "14", "00", "MULTIPLIER", "2", "2", "0", 4127));
    EXPECT_EQ(o.extraData->customAttributes,
              (std::vector<CustomAttribute>{{"o4127campaign", "campaign", "weekend-brunch"},
                                            {"o4127budget", "budget", "125000.5"},
                                            {"o4127internal", "internal", "true"}}));
}

TEST(OfferBookings, Samples) {
    const test::Sample samples[] = {
        {booking, "{}", "[0,null,null,null,null,null,null,0,null,null,null,null,null]"},
        {booking, R"({"appointment_id":9,"booking_start_datetime":"2024-03-01T09:30:00Z","booking_end_datetime":"e",
                      "status":"BOOKED","member":"1001","location_code":"L1","location_name":"Mall","offer":12,
                      "offer_name":"Spa","created_ts":"c","updated_ts":"u","offer_extra_data":{"room":"A"},
                      "location_extra_data":{}})",
         R"([9,"2024-03-01T09:30:00Z","e","BOOKED","1001","L1","Mall",12,"Spa","c","u",true,true])"},
        {booking, R"({"member":1001,"offer":null,"offer_extra_data":[]})",
         "[0,null,null,null,null,null,null,0,null,null,null,null,null]"},
        {booking, R"({"offer":"12"})", nullptr}, {booking, R"({"appointment_id":1.5})", nullptr},
    };
    test::checkSamples(samples);
    test::checkRules(offerBookingKeys);
    // A booking reply writes no context: attribute ids are the keys alone.
    const auto decoder = Decoder::withFreshContext();
    const auto b = OfferBooking::decode(parse(R"({"offer_extra_data":{"room":"A"}})"), decoder);
    EXPECT_EQ(b.offerExtraData->customAttributes, (std::vector<CustomAttribute>{{"room", "room", "A"}}));
    EXPECT_EQ(decoder.transferRef()->transferId, std::nullopt);
}
