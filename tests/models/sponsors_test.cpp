#include <gtest/gtest.h>

#include <boost/json.hpp>

#include "lumeno/models/offers/sponsor.hpp"
#include "lumeno/models/offers/sponsor_location.hpp"
#include "models/offers/sponsor_keys.hpp"
#include "support/model_samples.hpp"

using namespace lumeno;
using boost::json::parse;
using test::row;

namespace {

using namespace detail;
constexpr test::View timing = row<locationTimingKeys>;
constexpr test::View compact = row<locationCompactKeys>;
constexpr test::View location = row<sponsorLocationKeys>;
constexpr test::View sponsor = row<sponsorKeys>;
constexpr test::View trimmed = row<trimSponsorKeys>;

/// The attributes of location links as [id, key, value] triples.
JsonValue urls(const JsonValue& json, const Decoder& decoder) {
    JsonArray out;
    for (const auto& [id, key, value] : LocationUrls::decode(json, decoder).locationUrls)
        out.push_back(JsonArray{JsonValue(id), JsonValue(key), JsonValue(value)});
    return out;
}

}  // namespace

TEST(SponsorLocations, Samples) {
    const test::Sample samples[] = {
        {timing, "{}", "[0,0,null,null]"},
        {timing, R"({"id":1,"day":8,"open_time":"09:00","close_time":1800})", R"([1,8,"09:00",null])"},
        {timing, R"({"day":"Mon"})", nullptr},
        {compact, R"({"id":4,"location_name":"Mall","location_code":"M1","latitude":14.5,"longitude":121,
                      "image":"i","address":"a"})", R"([4,"Mall","M1",14.5,121.0,"i","a"])"},
        {compact, R"({"latitude":"14.5"})", nullptr},
        // [id, extra data, sponsor, sponsor name, name, code, address, type, phone, latitude, longitude,
        //  distance, image, logo, timings, active, offers, header, destination]
        {location, "{}",
         "[0,null,0,null,null,null,null,null,null,0.0,0.0,0.0,null,null,[],false,[],null,null]"},
        {location, R"({"id":7,"extra_data":{"floor":2},"sponsor":3,"sponsor_name":"Cafe","location_name":"Mall",
                       "location_code":"M1","address":"a","location_type":"store","phone_number":"p","latitude":1,
                       "longitude":2.5,"distance":0.3,"image":"i","sponsor_logo":"l","location_timings":[{"day":1}],
                       "active":true,"offers":[{"id":5}],"sponsor_header":"h","destination":"d"})",
         R"([7,true,3,"Cafe","Mall","M1","a","store","p",1.0,2.5,0.3,"i","l",[true],true,[true],"h","d"])"},
        {location, R"({"offers":null,"sponsor_name":5,"extra_data":"x"})",
         "[0,null,0,null,null,null,null,null,null,0.0,0.0,0.0,null,null,[],false,[],null,null]"},
        {location, R"({"latitude":"12.5"})", nullptr}, {location, R"({"offers":[{"id":5},{"id":"6"}]})", nullptr},
        {location, R"({"location_timings":[{"day":null},{"day":1.5}]})", nullptr},
        // Location links: one attribute per non-null entry, the value as text.
        {urls, "{}", "[]"},
        {urls, R"({"menu":"m","site":null,"floors":3,"open":true,"rating":4.5})",
         R"([["menu","menu","m"],["floors","floors","3"],["open","open","true"],["rating","rating","4.5"]])"},
    };
    test::checkSamples(samples);
}

TEST(SponsorLocations, EveryKeyFollowsItsRule) {
    test::checkRules(locationTimingKeys), test::checkRules(locationCompactKeys);
    test::checkRules(sponsorLocationKeys), test::checkRules(sponsorLocationKeys, Decoder::withFreshContext());
}

TEST(SponsorLocations, SearchNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"Cafe Central Mall", "cafecentralmall"}, {"", ""}, {"ÉCOLE Ça", "écoleça"},
        {"ΟΔΟΣ ΑΘΗΝΑΣ", "οδοσαθηνας"},  // spaces go first: only the last sigma ends a word (ς)
        {"İSTANBUL", "i\u0307stanbul"},  // longer in lowercase than as given
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(SponsorLocation::decode(JsonObject{{"sponsor_name", name}}, Decoder{}).sponsorNameLowercased, expected);
    EXPECT_EQ(SponsorLocation::decode(parse(R"({"sponsor_name":5})"), Decoder{}).sponsorNameLowercased, std::nullopt);
}

TEST(SponsorLocations, IdsComeFromTheDecodingContext) {
    const auto decoder = Decoder::withFreshContext();
    DataTransferModel& context = *decoder.transferRef();
    context.prefixLocationUrls = "lu";
    context.transferId = "55";
    const auto links = parse(R"({"menu":"m","site":null})");
    EXPECT_EQ(urls(links, decoder), parse(R"([["lu55menu","menu","m"]])"));
    EXPECT_EQ(urls(links, Decoder{}), parse(R"([["menu","menu","m"]])"));

    // The location writes its id before its attributes, whatever the order of the text; its
    // offers' parameters carry each offer's own id, not the location's.
    const auto json = parse(R"({"extra_data":{"floor":"2"},"id":31,
                               "offers":[{"id":5,"template_params":{"offer_id":9}},{"id":6,"template_params":{}}]})");
    const auto place = SponsorLocation::decode(json, decoder);
    EXPECT_EQ(place.extraData->customAttributes, (std::vector<CustomAttribute>{{"sl31floor", "floor", "2"}}));
    EXPECT_EQ(place.offers.at(0).templateParams->offerId, 5);
    EXPECT_EQ(place.offers.at(1).templateParams->offerId, 6);
    EXPECT_EQ(context.transferId, "31");
    EXPECT_EQ(context.prefixExtraData, "sl");
    EXPECT_EQ(context.prefixLocationUrls, "lu");
    EXPECT_EQ(SponsorLocation::decode(json, Decoder{}).extraData->id, "");
}

TEST(SponsorLocations, DictionaryRepresentation) {
    LocationUrls links;
    links.locationUrls = {{"a", "a", "1"}, {"b", "b", "x"}, {"a", "a", "2"}};  // the later "a" wins
    EXPECT_EQ(links.dictionaryRepresentation(), parse(R"({"a":"2","b":"x"})"));
    EXPECT_EQ(LocationUrls{}.dictionaryRepresentation(), JsonObject{});
}

TEST(Sponsors, Samples) {
    const test::Sample samples[] = {
        // [id, extra data, name, short name, rank, host, description, address, phone, status, industry, logo,
        //  url, start, end, contact, email, country, region, city, country name, state name, city name,
        //  timings, brand, header]
        {sponsor, "{}",
         "[0,null,null,null,null,false,null,null,null,null,null,null,null,null,null,null,null,0,null,0,null,null,"
         "null,[],null,null]"},
        {sponsor, R"({"id":12,"extra_data":{"tier":"gold"},"name":"Grand Hotel","short_name":"GH","rank":"1",
                      "is_host":true,"description":"d","address":"a","phone_number":"p","status":"ACTIVE",
                      "industry":"i","logo":"l","url":"u","start_date":"2020-01-01","end_date":"e",
                      "contact_person_name":"c","email":"m","country":63,"region":"NCR","city":1,"country_name":"PH",
                      "state_name":"s","city_name":"Manila","sponsor_timings":[{"day":1}],"brand_name":"b",
                      "header":"h"})",
         R"([12,true,"Grand Hotel","GH",null,true,"d","a","p","ACTIVE","i","l","u","2020-01-01","e","c","m",63,
             "NCR",1,"PH","s","Manila",[true],"b","h"])"},
        {sponsor, R"({"is_host":"yes"})", nullptr}, {sponsor, R"({"country":"63"})", nullptr},
        {sponsor, R"({"sponsor_timings":[{"id":"1"}]})", nullptr},
        // [id, extra data, name, short name, host, status, industry, logo, brand, header, description]
        {trimmed, "{}", "[0,null,null,null,null,null,null,null,null,null,null]"},
        {trimmed, R"({"id":3,"name":"Cafe","short_name":"C","is_host":false,"status":"s","industry":"i","logo":"l",
                      "brand_name":"b","header":"h","description":7})",
         R"([3,null,"Cafe","C",false,"s","i","l","b","h",null])"},
        {trimmed, R"({"is_host":1})", nullptr},
    };
    test::checkSamples(samples);
    test::checkSamples(samples, Decoder::withFreshContext());
}

TEST(Sponsors, EveryKeyFollowsItsRule) {
    for (const auto& decoder : {Decoder{}, Decoder::withFreshContext()})
        test::checkRules(sponsorKeys, decoder), test::checkRules(trimSponsorKeys, decoder);
}

TEST(Sponsors, WriteTheirIdBeforeTheirAttributes) {
    const auto decoder = Decoder::withFreshContext();
    const auto json = parse(R"({"extra_data":{"tier":"gold"},"id":12,"name":"Grand Hotel Group"})");
    const Sponsor full = Sponsor::decode(json, decoder);
    const TrimSponsor trimmed = TrimSponsor::decode(json, decoder);
    for (const auto& extra : {full.extraData, trimmed.extraData})
        EXPECT_EQ(extra->customAttributes, (std::vector<CustomAttribute>{{"s12tier", "tier", "gold"}}));
    const DataTransferModel& context = *decoder.transferRef();
    EXPECT_EQ(std::tuple(context.transferId, context.prefixExtraData, context.prefixLocationUrls),
              std::tuple("12", "s", std::nullopt));
    EXPECT_EQ(std::tuple(full.nameLowercased, trimmed.nameLowercased), std::tuple("grandhotelgroup", "grandhotelgroup"));
}

TEST(Sponsors, Conversions) {
    const auto json = parse(R"({"id":4,"name":"Café Bar","short_name":"CB","brand_name":"b","description":"d",
                               "status":"s","industry":"i","logo":"l","header":"h","extra_data":{"k":"v"},
                               "rank":2,"country":63,"city":1,"region":"r","sponsor_timings":[{"day":1}]})");
    // Each way the shared fields are copied, the host flag is always set, the search name derived,
    // and what the trimmed record lacks takes the defaults.
    const TrimSponsor trimmed(Sponsor::decode(json, Decoder{}));
    JsonObject expected = test::shown(trimSponsorKeys, json, Decoder{});
    expected["is_host"] = false;
    EXPECT_EQ(trimSponsorKeys.encode(trimmed, Absent::null, test::Show{}), expected);
    expected = test::shown(sponsorKeys, json, Decoder{});
    expected["rank"] = expected["region"] = nullptr, expected["country"] = expected["city"] = 0;
    expected["sponsor_timings"] = JsonArray{};
    EXPECT_EQ(sponsorKeys.encode(Sponsor(trimmed), Absent::null, test::Show{}), expected);
    EXPECT_EQ(std::tuple(trimmed.nameLowercased, Sponsor(trimmed).nameLowercased), std::tuple("cafébar", "cafébar"));
    EXPECT_EQ(std::tuple(Sponsor(TrimSponsor{}).isHost, Sponsor(TrimSponsor{}).nameLowercased),
              std::tuple(false, std::nullopt));
}
