// Caller values through the public calls: a value that cannot go where it belongs fails the
// call once, on the main queue, and nothing is sent; a path value holding "/" goes as one
// segment.

#include <gtest/gtest.h>

#include <limits>

#include "support/call_table.hpp"

using namespace lumeno;
using test::Seen;
using test::Start;
using Kind = LumenoError::Kind;
using R = LumenoRequest;

namespace {

const std::string kBadText = "bad\xC3\x28\xFF\xC0\xAF";
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

using CallerValuesTest = test::CallTest;

TEST_F(CallerValuesTest, AValueThatCannotGoWhereItBelongsFailsTheCallOnceAndNothingIsSent) {
    MemberOffer offer;
    offer.offerID = 12;
    const std::tuple<const char*, Start, Kind> rows[] = {
        {"login", [](auto&, auto d) { return R::login(kBadText, "pw", d); }, Kind::encodableMapping},
        {"registerDevice", [](auto& t, auto d) { return R::registerDevice(t, "M1", kBadText, "ios", d); },
         Kind::encodableMapping},
        {"createFamilyInvite", [](auto& t, auto d) { return R::createFamilyInvite(t, "M1", kBadText, d); },
         Kind::encodableMapping},
        {"verifyMerchantPin", [](auto& t, auto d) { return R::verifyMerchantPin(t, 3, kBadText, d); },
         Kind::encodableMapping},
        {"getMemberOffers", [&](auto& t, auto d) { return R::getMemberOffers(t, "", offer, d); }, Kind::requestMapping},
        {"deleteFamily", [](auto& t, auto d) { return R::deleteFamily(t, "", d); }, Kind::requestMapping},
        {"getS3ImageUploadURL",
         [](auto& t, auto d) { return R::getS3ImageUploadURL(t, "x/../../receipts/victim", d); }, Kind::requestMapping},
        {"getS3ImageUploadReceiptURL",
         [](auto& t, auto d) { return R::getS3ImageUploadReceiptURL(t, std::string("M1\0", 3), d); },
         Kind::requestMapping},
        {"getOffers (latitude)",
         [](auto& t, auto d) { return R::getOffers(t, Coordinate{kNan, 0}, std::nullopt, 7, d); },
         Kind::requestMapping},
        {"getOffers (radius)", [](auto& t, auto d) { return R::getOffers(t, Coordinate{51.5, -0.12}, kInf, 7, d); },
         Kind::requestMapping},
        {"getSponsorLocations",
         [](auto& t, auto d) { return R::getSponsorLocations(t, 3, 10, {{"longitude", -kInf}}, d); },
         Kind::requestMapping},
        {"getLocationBasedOffers", [](auto& t, auto d) { return R::getLocationBasedOffers(t, {{"radius", kNan}}, d); },
         Kind::requestMapping},
    };
    server.otherwise(test::Reply::json("{}"));
    for (const auto& [name, call, kind] : rows) {
        SCOPED_TRACE(name);
        int completions = 0;
        std::optional<Seen> seen;
        call("t", [&](Seen s) {
            ++completions;
            seen = std::move(s);
        });
        EXPECT_FALSE(seen.has_value());  // delivered on the main queue, not inside the call
        ASSERT_TRUE(test::waitFor([&] { return seen.has_value(); }));
        test::settle();
        EXPECT_EQ(completions, 1);
        ASSERT_TRUE(*seen);
        EXPECT_EQ((*seen)->kind(), kind);
    }
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(CallerValuesTest, AnIdHoldingSlashesNamesOneThing) {
    server.otherwise(test::Reply(204, ""));
    const test::Call<void> call([](auto done) { return R::deleteFamily("t", "123/invitations/9", done); });
    ASSERT_TRUE(call.result->has_value()) << call.error().detail();
    EXPECT_EQ(sent().method, "DELETE");
    EXPECT_EQ(sent().path, "/api/members/family/123%2Finvitations%2F9/");
}

}  // namespace
