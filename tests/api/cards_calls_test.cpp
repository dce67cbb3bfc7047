#include <gtest/gtest.h>

#include "support/call_table.hpp"

using namespace lumeno;
using test::Call;
using test::Reply;
using Kind = LumenoError::Kind;
using R = LumenoRequest;

namespace {

using PromotionPage = PaginatedResponse<std::vector<Promotion>>;

const std::string kPromotion = R"({"privilegeCode":"P1","uniquePrivilegeCode":"U1","extraData":{"tier":"gold"}})";
const std::string kPrivileges = "/api/members/privileges/M1/";

class CardsCallsTest : public test::CallTableTest {
protected:
    void SetUp() override {
        CallTableTest::SetUp();
        setPageLimit(7);
    }
    void TearDown() override {
        setPageLimit(50);
        CallTableTest::TearDown();
    }
    static void setPageLimit(std::int64_t limit) {
        Lumeno::shared().updateSettings([&](LumenoSettings& settings) { settings.defaultPageLimit = limit; });
    }
};

TEST_F(CardsCallsTest, EveryCallSendsItsCase) {
    const test::Query privileges{{"ordering", "-created_ts"}, {"page_size", "10"}};
    checkEachCall({
        {"getMemberCards", [](auto& t, auto d) { return R::getMemberCards(t, "M1", d); },
         "GET", "/api/cards/", {{"member_id", "M1"}, {"ordering", "-created_ts"}, {"page_size", "7"}}, nullptr,
         Reply::json(R"([{"id":1,"number":"4000"}])")},
        {"addMemberCard",
         [](auto& t, auto d) { return R::addMemberCard(t, {"4000 0012", "Ada", "M1"}, d); }, "POST",
         "/api/cards/", {}, R"({"number":"4000 0012","name":"Ada","member":"M1"})", Reply::json(R"({"id":2})", 201)},
        {"cancelMemberCard", [](auto& t, auto d) {
             return R::cancelMemberCard(t, 2, CardCancelRequest("lost", "on the train"), d);
         },
         "POST", "/api/cards/2/deactivate/", {}, R"({"reason":"lost","comment":"on the train"})",
         Reply::json(R"({"data":"cancelled"})")},
        // A member id stays a path value: "?" and "#" are escaped, not a query or a fragment.
        {"getMemberPrivileges",
         [](auto& t, auto d) { return R::getMemberPrivileges(t, "M?1#2", 10, d); }, "GET",
         "/api/members/privileges/M%3F1%232/", privileges, nullptr, Reply::json(R"({"data":[)" + kPromotion + "]}")},
        {"getMemberPrivileges cursor", [this](auto& t, auto d) {
             return R::getMemberPrivileges(t, server.url(kPrivileges + "?cursor=cD0y&page_size=10"), d);
         },
         "GET", kPrivileges, {{"cursor", "cD0y"}, {"page_size", "10"}}, nullptr, Reply::json(R"({"data":[]})")},
        {"getPrivilege", [](auto& t, auto d) { return R::getPrivilege(t, "M1", "P1", d); }, "GET",
         kPrivileges, {{"ordering", "-created_ts"}, {"page_size", "7"}}, nullptr, Reply::json("[" + kPromotion + "]")},
    });
}

TEST_F(CardsCallsTest, PagesReadTheListUnderDataAndTheLookUpABareList) {
    for (const bool wrapped : {true, false}) {
        SCOPED_TRACE(wrapped ? "under \"data\"" : "bare list");
        const std::string list = "[" + kPromotion + "]";
        server.on("GET", kPrivileges, Reply(200, wrapped ? R"({"data":)" + list + "}" : list,
                                             {{"Content-Type", "application/json"}, {"next", "N"}, {"prev", "P"}}));
        const Call<PromotionPage> page([](auto done) { return R::getMemberPrivileges("t", "M1", 10, done); });
        const Call<Promotion> one([](auto done) { return R::getPrivilege("t", "M1", "P1", done); });
        ASSERT_EQ(page.result->has_value(), wrapped);
        ASSERT_EQ(one.result->has_value(), !wrapped);
        const auto& failed = wrapped ? one.error() : page.error();
        EXPECT_EQ(failed.kind(), Kind::objectMapping);
        // Both read without a decoding context: the attributes are identified by their keys.
        const Promotion& promotion = wrapped ? page.value().content.at(0) : one.value();
        EXPECT_EQ(promotion.extraData->customAttributes.at(0).id, "tier");
        if (wrapped) {
            EXPECT_EQ(page.value().previousCursor, "P");
            EXPECT_EQ(page.value().nextCursor, "N");
        }
    }
}

TEST_F(CardsCallsTest, LookUpTakesTheFirstExactMatchOfOnePage) {
    const struct {
        const char* reply;
        const char* code;
        std::optional<std::string> unique;  // of the match; nullopt: `failure`
        Kind failure = Kind::jsonMapping;
    } rows[] = {
        {R"([{"privilegeCode":"P1","uniquePrivilegeCode":"a"},{"privilegeCode":"P1","uniquePrivilegeCode":"b"}])", "P1", "a"},
        {R"([{"privilegeCode":"A"},{"privilegeCode":"B","uniquePrivilegeCode":"b"}])", "B", "b"},
        {R"([{"privilegeCode":"p1"},{"privilegeCode":"P1 "}])", "P1", std::nullopt},
        {"[]", "P1", std::nullopt},
        {R"([{"privilegeCode":"P1"},{"privilegeCode":5}])", "P1", std::nullopt, Kind::objectMapping},
        {R"({"data":[]})", "P1", std::nullopt, Kind::objectMapping},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reply);
        server.on("GET", kPrivileges, Reply::json(row.reply));
        const Call<Promotion> call([&](auto done) { return R::getPrivilege("t", "M1", row.code, done); });
        if (row.unique) {
            EXPECT_EQ(call.value().uniquePrivilegeCode, *row.unique);
            continue;
        }
        ASSERT_FALSE(call.result->has_value());
        EXPECT_EQ(call.error().kind(), row.failure);
        ASSERT_TRUE(call.error().response());
        EXPECT_EQ(call.error().response()->data, row.reply);
    }
    // The page size is the default page limit when the call is made.
    setPageLimit(3);
    const Call<Promotion> call([](auto done) { return R::getPrivilege("t", "M1", "P1", done); });
    EXPECT_EQ(test::parsedQuery(sent().query).find("page_size")->second, "3");
}

TEST_F(CardsCallsTest, CursorsThatAreNoURLAreRefused) {
    const test::Start calls[] = {
        [](auto& t, auto d) { return R::getMemberPrivileges(t, "next page", d); },
        
            [](auto& t, auto d) { return R::getSponsorsFrom(t, "/api/sponsors/?cursor=2", {}, 10, d); },
    };
    for (const auto& call : calls) {
        std::optional<test::Seen> seen;
        call("t", [&](test::Seen s) { seen = std::move(s); });
        ASSERT_TRUE(test::waitFor([&] { return seen.has_value(); }));
        ASSERT_TRUE(*seen);
        EXPECT_EQ((*seen)->kind(), Kind::requestMapping);
    }
    test::settle();
    EXPECT_EQ(server.requestCount(), 0u);
}

}  // namespace
