#include <gtest/gtest.h>

#include <boost/json.hpp>

#include <limits>
#include <map>

#include "support/call_table.hpp"

using namespace lumeno;
using boost::json::parse;
using test::Call;
using test::Reply;
using Kind = LumenoError::Kind;
using R = LumenoRequest;

namespace {

using OfferPage = PaginatedResponse<std::vector<Offer>>;
using test::Query;

const std::string kOffer = R"({"id":12,"offer_name":"Flat white","sponsors":[3],"end_date":"2031-01-31"})";
const Reply kPage = Reply::json("[" + kOffer + "]");
const Reply kBooking = Reply::json(R"({"appointment_id":9,"offer":12,"status":"BOOKED"})");

using OffersCallsTest = test::CallTableTest;

TEST_F(OffersCallsTest, EveryCallSendsItsCase) {
    checkEachCall({
        {"getOffers", [](auto& t, auto d) { return R::getOffers(t, 20, d); }, "GET", "/api/offers/",
         {{"ordering", "-created_ts"}, {"page_size", "20"}}, nullptr, kPage},
        {"getOffers parameters",
         [](auto& t, auto d) { return R::getOffers(t, JsonObject{{"page_size", 5}, {"category", "food"}}, 20, d); },
         "GET", "/api/offers/", {{"category", "food"}, {"page_size", "20"}}, nullptr, kPage},
        {"getOffers location",
         [](auto& t, auto d) { return R::getOffers(t, Coordinate{51.5, -0.12}, std::nullopt, 7, d); }, "GET",
         "/api/offers/", {{"latitude", "51.5"}, {"longitude", "-0.12"}, {"page_size", "7"}}, nullptr, kPage},
        {"getOffers location radius",
         [](auto& t, auto d) { return R::getOffers(t, Coordinate{51.5, -0.12}, 2.5, 7, d); }, "GET", "/api/offers/",
         {{"latitude", "51.5"}, {"longitude", "-0.12"}, {"page_size", "7"}, {"radius", "2.5"}}, nullptr, kPage},
        {"getOffersByCategory", [](auto& t, auto d) { return R::getOffersByCategory(t, "food", 7, d); }, "GET",
         "/api/offers/", {{"category", "food"}, {"ordering", "-created_ts"}, {"page_size", "7"}}, nullptr, kPage},
        {"getOffersByLocationCode", [](auto& t, auto d) { return R::getOffersByLocationCode(t, "food", 7, d); }, "GET",
         "/api/offers/", {{"location_code", "food"}, {"page_size", "7"}}, nullptr, kPage},
        {"getFavoriteOffers", [](auto& t, auto d) { return R::getFavoriteOffers(t, 9, d); }, "GET", "/api/offers/",
         {{"favorites", "True"}, {"ordering", "-created_ts"}, {"page_size", "9"}}, nullptr, kPage},
        {"getOffersFromCursor",
         [this](auto& t, auto d) {
             return R::getOffersFromCursor(t, server.url("/api/offers/?cursor=cD0y&page_size=10"), d);
         },
         "GET", "/api/offers/", {{"cursor", "cD0y"}, {"page_size", "10"}}, nullptr, kPage},
        {"getOffer", [](auto& t, auto d) { return R::getOffer(t, 12, d); }, "GET", "/api/offers/12/", {}, nullptr,
         Reply::json(kOffer)},
        {"acceptOffer", [](auto& t, auto d) { return R::acceptOffer(t, 12, false, d); }, "POST",
         "/api/offers/12/acceptances/", {}, R"({"accepted":false})", Reply(204)},
        {"rateOffer", [](auto& t, auto d) { return R::rateOffer(t, 12, 4, d); }, "POST", "/api/offers/12/ratings/", {},
         R"({"rating":"4"})", Reply(204)},
        {"getMemberActionDataForOffer", [](auto& t, auto d) { return R::getMemberActionDataForOffer(t, 12, d); }, "GET",
         "/api/offers/12/actions/", {}, nullptr, Reply::json(R"({"offer_id":12,"accepted":true,"rating":4})")},
        {"getMemberRecommendedOffers",
         [](auto& t, auto d) { return R::getMemberRecommendedOffers(t, "M1", std::nullopt, d); }, "GET",
         "/api/members/M1/offer-recommendations/", {{"count", "3"}}, nullptr, kPage},
        {"getMemberRecommendedOffers empty",
         [](auto& t, auto d) { return R::getMemberRecommendedOffers(t, "M1", JsonObject{}, d); }, "GET",
         "/api/members/M1/offer-recommendations/", {}, nullptr, kPage},
        {"getMemberRecommendedOffers map",
         [](auto& t, auto d) {
             return R::getMemberRecommendedOffers(t, "M1", JsonObject{{"count", 5}, {"tag", "new"}}, d);
         },
         "GET", "/api/members/M1/offer-recommendations/", {{"count", "5"}, {"tag", "new"}}, nullptr, kPage},
        {"getPresentmentForOffer", [](auto& t, auto d) { return R::getPresentmentForOffer(t, 12, d); }, "GET",
         "/api/offers/12/offerpresentment/", {}, nullptr, Reply::json(R"({"id":1,"offer":12,"title":"Coffee"})")},
        {"createOfferBooking",
         [](auto& t, auto d) {
             return R::createOfferBooking(t, "M1", BookingStatus::awaiting, 12, "L-1", "2031-01-01T09:00:00Z",
                                          "2031-01-01T10:00:00Z", d);
         },
         "POST", "/api/offer-bookings/M1/", {},
         R"({"status":"AWAITING_CONFIRMATION","offer":12,"location_code":"L-1",
             "booking_start_datetime":"2031-01-01T09:00:00Z","booking_end_datetime":"2031-01-01T10:00:00Z"})",
         kBooking},
        {"getOfferBookings", [](auto& t, auto d) { return R::getOfferBookings(t, "M1", 5, d); }, "GET",
         "/api/offer-bookings/M1/", {{"ordering", "-created_ts"}, {"page_size", "5"}}, nullptr,
         Reply::json("[" + kBooking.body + "]")},
        {"updateOfferBooking",
         [](auto& t, auto d) { return R::updateOfferBooking(t, "M1", 9, BookingStatus::cancelled, d); }, "PATCH",
         "/api/offer-bookings/M1/9/", {}, R"({"status":"CANCELLED"})", kBooking},
        {"addToWishList", [](auto& t, auto d) { return R::addToWishList(t, "M1", {12, 15}, d); }, "POST",
         "/api/members/M1/wishlist/", {}, R"([{"offer_id":12},{"offer_id":15}])",
         Reply::json(R"({"success":[{"offer_id":12},{"offer_id":15}]})")},
        {"removeFromWishList", [](auto& t, auto d) { return R::removeFromWishList(t, "M1", {12}, d); }, "DELETE",
         "/api/members/M1/wishlist/", {}, R"([{"offer_id":12}])", Reply::json(R"({"removed":[{"offer_id":12}]})")},
        {"getWishlist", [](auto& t, auto d) { return R::getWishlist(t, "M1", d); }, "GET", "/api/members/M1/wishlist/",
         {{"expired", "true"}}, nullptr, kPage},
        {"getMemberOffers",
         [](auto& t, auto d) {
             MemberOffer request;
             request.offerID = 12;
             return R::getMemberOffers(t, "M1", request, d);
         },
         "POST", "/api/members/M1/member-offers/", {}, R"({"offerID":12})", Reply::json(R"([{"offerID":12}])")},
    });
}

TEST_F(OffersCallsTest, StatusOnlyCallsReadTheStatusAlone) {
    const std::pair<Reply, std::optional<Kind>> cases[] = {
        {Reply(204), std::nullopt},
        {Reply(200, "Thanks!"), std::nullopt},
        {Reply::json(R"({"errors":[{"code":"not_found"}]})", 404), Kind::statusCode},
        {Reply(500, "<html>"), Kind::lumenoErrorMapping},
    };
    for (const auto& [reply, failure] : cases) {
        server.on("POST", "/api/offers/12/acceptances/", reply).on("POST", "/api/offers/12/ratings/", reply);
        const Call<void> accept([](auto d) { return R::acceptOffer("t", 12, true, d); });
        const Call<void> rate([](auto d) { return R::rateOffer("t", 12, 5, d); });
        for (const auto* call : {&accept, &rate}) {
            ASSERT_EQ(call->result->has_value(), !failure) << reply.status;
            if (failure) {
                EXPECT_EQ(call->error().kind(), *failure);
            }
        }
    }
}

TEST_F(OffersCallsTest, CursorGoesOutAsTheWholeURLAndThePageBringsItsCursors) {
    Reply reply = kPage;
    reply.headers.add("next", server.url("/api/offers/?cursor=cD0z"));
    reply.headers.add("prev", server.url("/api/offers/?cursor=cD0x"));
    server.on("GET", "/elsewhere/offers", reply);
    const Call<OfferPage> page([this](auto d) {
        return R::getOffersFromCursor("t", server.url("/elsewhere/offers?b=2&a=%20x&page_size=3"), d);
    });
    EXPECT_EQ(sent().query, "b=2&a=%20x&page_size=3");
    EXPECT_EQ(page.value().nextCursor, server.url("/api/offers/?cursor=cD0z"));
    EXPECT_EQ(page.value().previousCursor, server.url("/api/offers/?cursor=cD0x"));
    EXPECT_EQ(page.value().content.at(0).id, 12);
}

TEST_F(OffersCallsTest, CursorThatIsNoURLIsRefusedAndNothingSent) {
    for (const char* cursor : {"", "next page", "/api/offers/?cursor=cD0y", "http://"}) {
        const Call<OfferPage> page([&](auto d) { return R::getOffersFromCursor("t", cursor, d); });
        EXPECT_EQ(page.error().kind(), Kind::requestMapping) << cursor;
    }
    test::settle();
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(OffersCallsTest, CursorIsFollowedWithTheTokenOnlyOnTheGatewaysOrigin) {
    test::FakeServer pinned(test::FakeServer::Scheme::https), elsewhere;
    const auto upper = [](std::string url) { return url.replace(0, 4, "HTTP"); };
    const auto withUser = [](std::string url) { return url.insert(url.find("//") + 2, "evil.example@"); };
    const auto plain = [](std::string url) { return url.erase(4, 1); };
    const std::string steal = "/steal?page=2", page = "/api/offers/?page=2";
    const struct {
        const test::FakeServer& gateway;
        const char* gatewayHost;
        std::string cursor;
        bool followed;
    } rows[] = {
        {server, "127.0.0.1", elsewhere.url(steal, "localhost"), false},
        {server, "127.0.0.1", elsewhere.url(steal), false},
        {server, "127.0.0.1", upper(elsewhere.url(steal)), false},
        {server, "127.0.0.1", withUser(elsewhere.url(steal)), false},
        {server, "127.0.0.1", elsewhere.url(steal, "127.0.0.2"), false},
        {server, "127.0.0.1", elsewhere.url(steal, "[::1]"), false},
        {server, "127.0.0.1", withUser(server.url(page)), false},
        {server, "127.0.0.1", server.url(page, "localhost"), false},
        {pinned, "127.0.0.1", elsewhere.url(steal, "localhost"), false},
        {pinned, "127.0.0.1", plain(pinned.url(page)), false},
        {server, "127.0.0.1", server.url(page), true},
        {server, "127.0.0.1", upper(server.url(page)), true},
        {server, "localhost", server.url(page, "LocalHost"), true},
        {pinned, "127.0.0.1", pinned.url(page), true},
    };
    for (auto* gateway : {&server, &pinned}) gateway->on("GET", "/api/offers/", kPage);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.gateway.url("/api", row.gatewayHost) + " then " + row.cursor);
        test::useServer(row.gateway, "/api");
        Lumeno::shared().updateSettings(
            [&](LumenoSettings& settings) { settings.tenant = row.gateway.url("/api", row.gatewayHost); });
        const std::size_t before = row.gateway.requestCount();
        const Call<OfferPage> offers([&](auto d) { return R::getOffersFromCursor("t0ken-s3cret", row.cursor, d); });
        ASSERT_EQ(offers.result->has_value(), row.followed);
        if (!row.followed) {
            EXPECT_EQ(offers.error().kind(), Kind::requestMapping);
            continue;
        }
        ASSERT_EQ(row.gateway.requestCount(), before + 1);
        EXPECT_EQ(row.gateway.requests().back().headers.find("Authorization"), "JWT t0ken-s3cret");
    }
    test::settle();
    EXPECT_EQ(elsewhere.connectionCount(), 0u);
    EXPECT_EQ(server.requestCount() + pinned.requestCount(), 4u);  // the followed rows only
}

TEST_F(OffersCallsTest, OneBadOfferFailsThePageAndTheErrorKeepsTheReply) {
    const std::string body = "[" + kOffer + R"(,{"id":"13"}])";
    server.on("GET", "/api/offers/", Reply::json(body));
    const Call<OfferPage> page([](auto d) { return R::getOffers("t", 50, d); });
    ASSERT_EQ(page.error().kind(), Kind::objectMapping);
    ASSERT_NE(page.error().response(), nullptr);
    EXPECT_EQ(page.error().response()->data, body);
}

TEST_F(OffersCallsTest, BookingsAreAPlainListEvenWithCursorHeaders) {
    Reply reply = Reply::json("[" + kBooking.body + "," + kBooking.body + "]");
    reply.headers.add("next", server.url("/api/offer-bookings/M1/?page=2"));
    reply.headers.add("prev", server.url("/api/offer-bookings/M1/?page=1"));
    server.on("GET", "/api/offer-bookings/M1/", reply);
    const Call<std::vector<OfferBooking>> bookings([](auto d) { return R::getOfferBookings("t", "M1", 2, d); });
    ASSERT_EQ(bookings.value().size(), 2u);
    EXPECT_EQ(bookings.value()[1].appointmentId, 9);
}

TEST_F(OffersCallsTest, WishlistReplies) {
    using Update = WishlistUpdateResponse;
    const struct {
        const char* reply;
        int update;  // variant index; -1: the reply fails
        std::size_t offers, failures;
    } cases[] = {
        {R"({"success":[{"offer_id":12}],"failure":[{"offer_id":99}]})", 0, 1, 1},
        {R"({"removed":[{"offer_id":12},{"offer_id":15}]})", 1, 2, 0},
        {"{}", -1, 0, 0},
    };
    for (const auto& c : cases) {
        server.on("POST", "/api/members/M1/wishlist/", Reply::json(c.reply));
        const Call<Update> call([](auto d) { return R::addToWishList("t", "M1", {}, d); });
        EXPECT_EQ(parse(sent().body), JsonArray{});  // an empty list still goes out
        if (c.update < 0) {
            EXPECT_EQ(call.error().kind(), Kind::objectMapping);
            continue;
        }
        const auto& update = call.value().update;
        ASSERT_EQ(static_cast<int>(update.index()), c.update) << c.reply;
        EXPECT_EQ(std::visit([](const auto& done) { return done.offers.size(); }, update), c.offers);
        EXPECT_EQ(call.value().failure.size(), c.failures);
    }
}

TEST_F(OffersCallsTest, MemberOffersBodyThatJSONCannotCarryIsRefused) {
    const JsonValue request = JsonObject{{"limit", std::numeric_limits<double>::infinity()}};
    const Call<std::vector<MemberOffer>> call([&](auto d) { return R::getMemberOffers("t", "M1", request, d); });
    EXPECT_EQ(call.error().kind(), Kind::encodableMapping);
    test::settle();
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(OffersCallsTest, PathAndQueryValuesStayInTheirPlace) {
    server.otherwise(Reply::json("[]"));
    const Call<std::vector<Offer>> wishlist([](auto d) { return R::getWishlist("t", "M 1?x#y", d); });
    EXPECT_EQ(sent().path, "/api/members/M%201%3Fx%23y/wishlist/");
    EXPECT_EQ(sent().params, (Query{{"expired", "true"}}));
    const Call<OfferPage> atCode([](auto d) { return R::getOffersByLocationCode("t", "A&B=C #1", 7, d); });
    EXPECT_EQ(sent().params, (Query{{"location_code", "A&B=C #1"}, {"page_size", "7"}}));
}

}  // namespace
