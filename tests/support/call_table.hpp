#pragma once

// An area's calls as one table: each row starts a call and names the request it must send.

#include <boost/json.hpp>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/call_test.hpp"

namespace lumeno::test {

/// A URL query as `parsedQuery` gives it.
using Query = std::multimap<std::string, std::string>;

/// What a completion saw: nothing for a value, else the failure.
using Seen = std::optional<LumenoError>;
using Start = std::function<Handle(const Token&, std::function<void(Seen)>)>;

/// Erases a call's result type: `call(token, completion)` starts it.
template <class T, class Starter>
Start start(Starter call) {
    return [call](const Token& token, std::function<void(Seen)> done) {
        return call(token, [done](Result<T> result) { done(result ? Seen() : Seen(result.error())); });
    };
}

struct CallRow {
    const char* name;
    Start start;
    const char* method;
    std::string path;  ///< as sent, percent-escapes kept
    Query query{};
    const char* body = nullptr;  ///< JSON; nullptr: no body
    Reply reply = Reply::json("[]");
};

class CallTableTest : public CallTest {
protected:
    /// Each row succeeds against its reply and sends its request, with the token argument and
    /// with the stored token; with neither it fails with `invalidToken` before returning
    /// nullptr, and nothing is sent.
    void checkEachCall(const std::vector<CallRow>& rows) {
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            server.on(row.method, row.path, row.reply);
            for (const auto& [argument, stored] : {std::pair<Token, Token>{"t", std::nullopt}, {std::nullopt, "s"}}) {
                store().setToken(stored);
                std::optional<Seen> seen;
                const Handle handle = row.start(argument, [&](Seen s) { seen = std::move(s); });
                ASSERT_TRUE(test::waitFor([&] { return seen.has_value(); }));
                EXPECT_TRUE(handle);
                EXPECT_FALSE(*seen) << (*seen)->description();
                const auto request = sent();
                EXPECT_EQ(request.method, row.method);
                EXPECT_EQ(request.path, row.path);
                EXPECT_EQ(parsedQuery(request.query), row.query);
                EXPECT_EQ(request.body.empty() ? JsonValue() : boost::json::parse(request.body),
                          row.body ? boost::json::parse(row.body) : JsonValue());
                EXPECT_EQ(sentHeader("Content-Type").has_value(), row.body != nullptr);
                EXPECT_EQ(sentHeader("x-api-key"), "key");
                EXPECT_EQ(sentHeader("Authorization"), "JWT " + (argument ? *argument : *stored));
            }
            store().setToken(std::nullopt);
            const auto before = server.requestCount();
            std::optional<Seen> seen;
            EXPECT_FALSE(row.start(std::nullopt, [&](Seen s) { seen = std::move(s); }));
            ASSERT_TRUE(seen.has_value() && *seen);
            EXPECT_EQ((*seen)->kind(), LumenoError::Kind::invalidToken);
            test::settle();
            EXPECT_EQ(server.requestCount(), before);
        }
    }
};

}  // namespace lumeno::test
