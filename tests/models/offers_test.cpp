#include <gtest/gtest.h>

#include <boost/json.hpp>

#include <chrono>

#include "lumeno/models/offers/location_offer.hpp"
#include "models/offers/location_offer_keys.hpp"
#include "support/model_samples.hpp"

using namespace lumeno;
using namespace std::chrono;
using boost::json::parse;
using test::row;

namespace {

using namespace detail;
constexpr test::View params = row<offerParamsKeys>;
constexpr test::View locationOffer = row<locationOfferKeys>;

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
    const auto local = [](const char* text) { return epochMillis(*toDate(text, DateUtils::shared().dateFormats())); };
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
        for (const test::View view : {dates<LocationOffer>}) {
            for (const auto& decoder : {Decoder{}, Decoder::withFreshContext()})
                EXPECT_EQ(view(parse(text), decoder), expected) << text;
        }
    }
    EXPECT_EQ(epochMillis(LocationOffer{}.endDate), JsonValue(end));
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

TEST(LocationOffers, OfferIdOfTheParameters) {
    const auto json = parse(R"({"offer_id":7})");
    const auto decoder = Decoder::withFreshContext();
    EXPECT_EQ(OfferParams::decode(json, Decoder{}).offerId, 0);
    const std::pair<std::optional<std::string>, std::int64_t> cases[] = {
        {std::nullopt, 0}, {"12", 12}, {"+12", 12}, {"-3", -3}, {"abc", 0}, {"x7", 0}, {"", 0}, {" 12", 0},
        {"12 ", 0}, {"+-1", 0}, {"+", 0}, {"9223372036854775808", 0},
    };
    for (const auto& [transferId, expected] : cases) {
        decoder.transferRef()->transferId = transferId;
        EXPECT_EQ(OfferParams::decode(json, decoder).offerId, expected) << transferId.value_or("(none)");
    }

    // A location offer hands its own id to its parameters, whatever the enclosing location wrote.
    decoder.transferRef()->transferId = "31";
    EXPECT_EQ(LocationOffer::decode(parse(R"({"id":5,"template_params":{}})"), decoder).templateParams->offerId, 5);
    EXPECT_EQ(decoder.transferRef()->transferId, "31");
    EXPECT_EQ(LocationOffer::decode(parse(R"({"id":5,"template_params":{}})"), Decoder{}).templateParams->offerId, 0);
}
