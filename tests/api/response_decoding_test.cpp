#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/response_decoding.hpp"
#include "core/json/parse.hpp"

namespace {

using lumeno::Response;
using lumeno::detail::ProviderResult;

// A record that shows what the decoding context held when it was decoded, and writes to it.
struct Probe {
    std::int64_t id = 0;
    std::optional<std::string> seenTransferId;
    static Probe decode(const lumeno::JsonValue& json, const lumeno::Decoder& decoder) {
        lumeno::KeyedReader reader(json, decoder);
        Probe probe{reader.strict<std::int64_t>("id"), std::nullopt};
        if (auto* context = reader.context()) {
            probe.seenTransferId = context->transferId.value_or("<none>");
            context->transferId = std::to_string(probe.id);
        }
        return probe;
    }
};

ProviderResult reply(int status, std::string body, lumeno::HttpHeaders headers = {}) {
    return Response{status, std::move(body), std::move(headers), "https://api.test/x"};
}

}  // namespace

TEST(DecodeResponse, StatusAndBodyOutcomes) {
    using Kind = lumeno::LumenoError::Kind;
    struct Case {
        int status;
        const char* body;
        std::optional<Kind> failure;
    } cases[] = {
        {200, R"({"id":1})", std::nullopt},
        {201, R"({"id":1})", std::nullopt},
        {299, R"({"id":1})", std::nullopt},
        {204, "", Kind::objectMapping},
        {200, "", Kind::objectMapping},
        {200, "not json", Kind::objectMapping},
        {200, R"({"id":"1"})", Kind::objectMapping},
        {200, R"([{"id":1}])", Kind::objectMapping},
        {101, R"({"id":1})", Kind::lumenoErrorMapping},
        {304, R"({"id":1})", Kind::lumenoErrorMapping},
        {404, R"({"errors":[{"code":"not_found"}]})", Kind::statusCode},
        {500, "oops", Kind::lumenoErrorMapping},
    };
    for (const auto& c : cases) {
        auto result = lumeno::detail::decodeResponse<Probe>(reply(c.status, c.body));
        ASSERT_EQ(result.has_value(), !c.failure) << c.status << " " << c.body;
        if (c.failure) {
            EXPECT_EQ(result.error().kind(), *c.failure) << c.status << " " << c.body;
            ASSERT_NE(result.error().response(), nullptr);
            EXPECT_EQ(result.error().response()->statusCode, c.status);
        }
    }
}

TEST(DecodeResponse, KeyPathAndListShapes) {
    EXPECT_EQ(lumeno::detail::decodeResponse<Probe>(reply(200, R"({"data":{"id":7}})"), "data")->id, 7);
    EXPECT_FALSE(lumeno::detail::decodeResponse<Probe>(reply(200, R"({"id":7})"), "data"));
    EXPECT_FALSE(lumeno::detail::decodeResponse<Probe>(reply(200, R"([{"data":{"id":7}}])"), "data"));
    EXPECT_EQ(lumeno::detail::decodeResponse<std::vector<Probe>>(reply(200, R"([{"id":1},{"id":2}])"))->size(), 2u);
    EXPECT_FALSE(lumeno::detail::decodeResponse<std::vector<Probe>>(reply(200, R"({"id":1})")));
    EXPECT_FALSE(lumeno::detail::decodeResponse<std::vector<Probe>>(reply(200, "")));
    using TextMap = std::map<std::string, std::string>;
    EXPECT_EQ(lumeno::detail::decodeResponse<TextMap>(reply(200, R"({"url":"u"})"))->at("url"), "u");
    EXPECT_FALSE(lumeno::detail::decodeResponse<TextMap>(reply(200, R"({"url":"u","n":1})")));
}

TEST(DecodeResponse, EachReplyStartsFromAFreshContext) {
    // Within one reply the context is shared; the next reply starts empty.
    auto first = lumeno::detail::decodeResponse<std::vector<Probe>>(reply(200, R"([{"id":1},{"id":2}])"));
    ASSERT_TRUE(first);
    EXPECT_EQ((*first)[0].seenTransferId, "<none>");
    EXPECT_EQ((*first)[1].seenTransferId, "1");
    auto second = lumeno::detail::decodeResponse<Probe>(reply(200, R"({"id":3})"));
    EXPECT_EQ(second->seenTransferId, "<none>");
    auto bare = lumeno::detail::decodeResponse<Probe>(reply(200, R"({"id":3})"), std::nullopt,
                                                       lumeno::detail::Context::none);
    EXPECT_EQ(bare->seenTransferId, std::nullopt);
}

TEST(DecodeResponse, AListDecodedWhileParsedGivesWhatTheWholeListGives) {
    // Each element is decoded as soon as it is parsed; the outcome is that of parsing the whole
    // reply, then decoding the whole list: a reply that is no JSON fails as such even after a
    // broken element, and a broken element's failure is the list's.
    const std::string deep = std::string(70, '[') + std::string(70, ']');
    const std::string cases[] = {
        R"([{"id":1},{"id":2},{"id":3}])", R"([])", R"( [ {"id":1} ] )", R"([{"id":1},{"id":"2"},{"id":3}])",
        R"([{"id":1},{"id":"2"},{"id":3},])", R"([{"id":1},{"id":"2"}] x)", R"([{"id":1},{"id":"2"})",
        R"([{"id":1},7,{"id":3}])", R"([{"id":1},null])", R"([{"id":1},[{"id":2}]])", R"({"id":1})", R"(7)",
        R"("text")", R"([{"id":1},{"id":1e400}])", R"([{"id":"x"},{"id":1e400}])", "[{\"id\":1}," + deep + "]",
        R"([{"id":1,"id":"dup"}])", R"([{"id":"dup","id":2}])", R"([{"id":1}] [])", R"([{"id":1.5}])",
        R"([{"n":[1,2,{"m":"x"}],"id":4},{"id":5}])"};
    for (const std::string& body : cases) {
        // The whole list: parsed, then decoded.
        std::optional<std::string> expectedFailure;
        std::vector<std::int64_t> expectedIds;
        std::vector<std::optional<std::string>> expectedSeen;
        boost::system::error_code ec;
        const lumeno::JsonValue whole = lumeno::detail::parseJson(body, ec);
        if (ec) {
            expectedFailure = "The reply is not valid JSON: " + ec.message() + ".";
        } else {
            try {
                for (const Probe& probe :
                     lumeno::json::decodeValue<std::vector<Probe>>(whole, lumeno::Decoder::withFreshContext())) {
                    expectedIds.push_back(probe.id);
                    expectedSeen.push_back(probe.seenTransferId);
                }
            } catch (const lumeno::DecodingError& error) {
                expectedFailure = error.what();
            }
        }
        const auto result = lumeno::detail::decodeResponse<std::vector<Probe>>(reply(200, body));
        ASSERT_EQ(result.has_value(), !expectedFailure) << body;
        if (expectedFailure) {
            EXPECT_EQ(result.error().kind(), lumeno::LumenoError::Kind::objectMapping) << body;
            EXPECT_EQ(result.error().detail(), *expectedFailure) << body;
            continue;
        }
        std::vector<std::int64_t> ids;
        std::vector<std::optional<std::string>> seen;
        for (const Probe& probe : *result) {
            ids.push_back(probe.id);
            seen.push_back(probe.seenTransferId);
        }
        EXPECT_EQ(ids, expectedIds) << body;
        EXPECT_EQ(seen, expectedSeen) << body;
    }
    // Lists of other values than records, and a list under a key, take the same way.
    EXPECT_EQ(lumeno::detail::decodeResponse<std::vector<std::int64_t>>(reply(200, "[1,2.0,1e1]")),
              (std::vector<std::int64_t>{1, 2, 10}));
    EXPECT_FALSE(lumeno::detail::decodeResponse<std::vector<std::int64_t>>(reply(200, "[1,2.5]")));
    EXPECT_EQ(lumeno::detail::decodeResponse<std::vector<std::string>>(reply(200, R"({"l":["a","b"]})"), "l"),
              (std::vector<std::string>{"a", "b"}));
}

TEST(DecodePaginatedResponse, CursorsAndContext) {
    auto page = lumeno::detail::decodePaginatedResponse<Probe>(
        reply(200, R"([{"id":1}])", {{"Next", "https://api.test/x?page=2"}}));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->nextCursor, "https://api.test/x?page=2");
    EXPECT_EQ(page->previousCursor, std::nullopt);
    EXPECT_EQ(page->content[0].seenTransferId, "<none>");

    auto keyed = lumeno::detail::decodePaginatedResponse<Probe>(
        reply(200, R"({"data":[{"id":1}]})", {{"prev", "p"}, {"next", "n"}}), "data");
    ASSERT_TRUE(keyed);
    EXPECT_EQ(keyed->previousCursor, "p");
    EXPECT_EQ(keyed->content[0].seenTransferId, std::nullopt);  // a keyed page sees no context
}

TEST(Decoder, FindsItsContextOnlyUnderTheTransferKeyWithTheRightType) {
    auto context = std::make_shared<lumeno::DataTransferModel>();
    using Info = lumeno::Decoder::UserInfo;
    EXPECT_EQ(lumeno::Decoder(Info{{"transfer_ref", context}}).transferRef(), context.get());
    EXPECT_EQ(lumeno::Decoder(Info{{"other", context}}).transferRef(), nullptr);
    EXPECT_EQ(lumeno::Decoder(Info{{"transfer_ref", std::string("no model")}}).transferRef(), nullptr);
}
