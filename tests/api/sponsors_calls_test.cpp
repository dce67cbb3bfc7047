#include <gtest/gtest.h>

#include "support/call_table.hpp"

using namespace lumeno;
using test::Call;
using test::Reply;
using R = LumenoRequest;

namespace {

using SponsorPage = PaginatedResponse<std::vector<Sponsor>>;
using LocationPage = PaginatedResponse<std::vector<SponsorLocation>>;
using Locations = std::vector<SponsorLocation>;
using Policy = SponsorDefaultBaseRatePolicy;

const std::string kSponsor = R"({"id":3,"name":"Analytical Coffee","extra_data":{"tier":"gold"}})";
const std::string kLocations =
    R"([{"id":21,"sponsor":3,"latitude":51.5,"longitude":-0.13,"extra_data":{"wifi":true},
         "offers":[{"id":12,"template_params":{"reward_type":"points"}}]},
        {"id":22,"sponsor":3,"extra_data":{"wifi":false}}])";
/// A cursor of the fake server's sponsors list.
const std::string kCursorPath = "/api/sponsors/?cursor=cD0y";

using SponsorsCallsTest = test::CallTableTest;

TEST_F(SponsorsCallsTest, EveryCallSendsItsCase) {
    const auto list = [](const std::string& element) { return Reply::json("[" + element + "]"); };
    checkEachCall({
        {"getSponsor", [](auto& t, auto d) { return R::getSponsor(t, 3, d); }, "GET", "/api/sponsors/3/",
         {}, nullptr, Reply::json(kSponsor)},
        {"getSponsors", [](auto& t, auto d) {
             return R::getSponsors(t, {{"page_size", 99}, {"industry", "food"}}, 20, d);
         },
         "GET", "/api/sponsors/", {{"industry", "food"}, {"page_size", "20"}}, nullptr, list(kSponsor)},
        // The cursor is the whole request, whatever the parameters and the page size.
        {"getSponsorsFrom", [this](auto& t, auto d) {
             return R::getSponsorsFrom(t, server.url(kCursorPath), {{"industry", "food"}}, 20, d);
         },
         "GET", "/api/sponsors/", {{"cursor", "cD0y"}}, nullptr, list(kSponsor)},
        {"getSponsorsFrom other arguments", [this](auto& t, auto d) {
             return R::getSponsorsFrom(t, server.url(kCursorPath), {}, 5, d);
         },
         "GET", "/api/sponsors/", {{"cursor", "cD0y"}}, nullptr, list(kSponsor)},
        {"getTrimmedSponsors", [](auto& t, auto d) {
             return R::getTrimmedSponsors(t, {{"page_size", 1}}, 30, d);
         },
         "GET", "/api/trim/sponsors", {{"page_size", "30"}}, nullptr, list(kSponsor)},
        // "sponsor_id" and "limit" replace the caller's; no "page_size" is added.
        {"getSponsorLocations sponsor", [](auto& t, auto d) {
             return R::getSponsorLocations(t, 3, 10, {{"limit", 100}, {"sponsor_id", 1}, {"radius", 5}}, d);
         },
         "GET", "/api/locations/", {{"limit", "10"}, {"radius", "5"}, {"sponsor_id", "3"}}, nullptr,
         Reply::json(kLocations)},
        {"getSponsorLocations", [](auto& t, auto d) {
             return R::getSponsorLocations(t, {{"sponsor_id", 3}}, d);
         },
         "GET", "/api/locations/", {{"sponsor_id", "3"}}, nullptr, Reply::json(kLocations)},
        {"getLocationBasedOffers", [](auto& t, auto d) {
             return R::getLocationBasedOffers(t, {{"latitude", 51.5}, {"longitude", -0.13}}, d);
         },
         "GET", "/api/locations/", {{"latitude", "51.5"}, {"longitude", "-0.13"}}, nullptr, Reply::json(kLocations)},
        // The PIN goes as the text given; the reply's body is never read.
        {"verifyMerchantPin", [](auto& t, auto d) { return R::verifyMerchantPin(t, 3, "0042", d); },
         "POST", "/api/sponsors/3/pin/", {}, R"({"pin":"0042"})", Reply(200, "PIN accepted")},
        {"getSponsorBaseRate", [](auto& t, auto d) {
             return R::getSponsorBaseRate(t, 3, 1, d);
         },
         "GET", "/api/sponsors/3/base-rates/", {{"loyalty_account", "1"}}, nullptr,
         list(R"({"id":1,"sponsor":3,"base_rate":1.5})")},
        {"getSponsorDefaultBaseRate award", [](auto& t, auto d) {
             return R::getSponsorDefaultBaseRate(t, Policy::award, 1, d);
         },
         "GET", "/api/point-conversion-rates/list/", {{"loyalty_account_id", "1"}, {"policy_type", "Award"}}, nullptr,
         list(R"({"id":4,"policy_type":"Award","conversion_rate":0.5})")},
        {"getSponsorDefaultBaseRate reward", [](auto& t, auto d) {
             return R::getSponsorDefaultBaseRate(t, Policy::reward, 2, d);
         },
         "GET", "/api/point-conversion-rates/list/", {{"loyalty_account_id", "2"}, {"policy_type", "Reward"}}},
    });
}

TEST_F(SponsorsCallsTest, PlainListsIgnoreCursorHeadersThatPagesKeep) {
    const HttpHeaders headers{{"Content-Type", "application/json"}, {"next", "N"}, {"prev", "P"}};
    server.on("GET", "/api/locations/", Reply(200, kLocations, headers));
    server.on("GET", "/api/trim/sponsors", Reply(200, "[" + kSponsor + "]", headers));
    const JsonObject query{{"sponsor_id", 3}};
    const Call<LocationPage> page([&](auto done) { return R::getSponsorLocations("t", query, done); });
    const auto pageRequest = sent();
    const Call<Locations> plain([&](auto done) { return R::getLocationBasedOffers("t", query, done); });
    EXPECT_EQ(sent().query, pageRequest.query);
    EXPECT_EQ(page.value().nextCursor, "N");
    EXPECT_EQ(page.value().previousCursor, "P");
    EXPECT_EQ(page.value().content.size(), 2u);
    EXPECT_EQ(plain.value().size(), 2u);
    const Call<std::vector<TrimSponsor>> trimmed([](auto done) { return R::getTrimmedSponsors("t", {}, 30, done); });
    EXPECT_EQ(trimmed.value().at(0).name, "Analytical Coffee");
}

TEST_F(SponsorsCallsTest, SponsorAndLocationIdsReachTheirAttributes) {
    server.on("GET", "/api/sponsors/3/", Reply::json(kSponsor));
    server.on("GET", "/api/trim/sponsors", Reply::json("[" + kSponsor + R"(,{"id":4,"extra_data":{"a":1}}])"));
    server.on("GET", "/api/locations/", Reply::json(kLocations));
    const Call<Sponsor> sponsor([](auto done) { return R::getSponsor("t", 3, done); });
    EXPECT_EQ(sponsor.value().extraData->customAttributes, (std::vector<CustomAttribute>{{"s3tier", "tier", "gold"}}));
    const Call<std::vector<TrimSponsor>> trimmed([](auto done) { return R::getTrimmedSponsors("t", {}, 2, done); });
    EXPECT_EQ(trimmed.value().at(1).extraData->id, "s4");
    const Call<LocationPage> page([](auto done) { return R::getSponsorLocations("t", 3, 2, {}, done); });
    const auto& locations = page.value().content;
    EXPECT_EQ(locations.at(0).extraData->id, "sl21");
    EXPECT_EQ(locations.at(0).offers.at(0).templateParams->offerId, 12);
    EXPECT_EQ(locations.at(1).extraData->customAttributes.at(0).id, "sl22wifi");
}

TEST_F(SponsorsCallsTest, MerchantPinLooksAtTheStatusOnly) {
    using Kind = LumenoError::Kind;
    const std::pair<Reply, std::optional<Kind>> rows[] = {
        {Reply(204), std::nullopt},
        {Reply(201, "{not json"), std::nullopt},
        {Reply::json(R"({"errors":[{"code":"invalid_pin","message":"Wrong PIN."}]})", 403), Kind::statusCode},
        {Reply(500), Kind::lumenoErrorMapping},
    };
    for (const auto& [reply, failure] : rows) {
        server.on("POST", "/api/sponsors/3/pin/", reply);
        const Call<void> call([](auto done) { return R::verifyMerchantPin("t", 3, "0042", done); });
        SCOPED_TRACE(reply.status);
        EXPECT_EQ(call.result->has_value(), !failure);
        if (failure) {
            EXPECT_EQ(call.error().kind(), *failure);
        }
    }
}

}  // namespace
