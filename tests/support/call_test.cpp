#include "support/call_test.hpp"

#include <boost/json/parse.hpp>

namespace lumeno::test {

namespace {

/// The five items of the store, in a fixed order.
std::vector<std::optional<std::string>> items(const CredentialsManager& store) {
    std::vector<std::optional<std::string>> values;
    for (const auto key : {CredentialsManager::userKey, CredentialsManager::tokenKey, CredentialsManager::expiryKey,
                           CredentialsManager::sessionTypeKey, CredentialsManager::sessionTypePasswordKey})
        values.push_back(store.keychain().string(key));
    return values;
}

}  // namespace

void CallTest::storeSession(Session session) {
    store().removeCredential();
    if (session == Session::password) storeEarlierSession();
    if (session == Session::social)
        store().storeCredential("old@example.com", "old-token", "3600", CredentialsManager::SessionType::social());
}

std::vector<std::string> CallTest::writes() {
    auto log = recording->takeLog();
    for (auto& entry : log)
        if (entry.starts_with("set expiry=")) entry = "set expiry";
    return log;
}

void CallTest::checkCalls(std::span<const CallRow> rows) {
    server.otherwise(Reply::json("{}"));
    const struct {
        std::optional<std::string> stored;
        Token argument;
    } situations[] = {{"stored", std::nullopt}, {std::nullopt, std::nullopt}, {"stored", "given"}, {"stored", ""}};
    for (const auto& row : rows) {
        for (const auto& [stored, argument] : situations) {
            SCOPED_TRACE(std::string(row.name) + " stored " + stored.value_or("-") + ", given " + argument.value_or("-"));
            store().removeCredential();
            store().setToken(stored);
            const auto before = server.requestCount();
            std::optional<std::string> token;
            switch (row.rule) {
                case TokenRule::standard: token = argument ? argument : stored; break;
                case TokenRule::none: break;
                case TokenRule::argument: token = argument; break;
                case TokenRule::otp: token = "otp"; break;
            }
            if (row.rule == TokenRule::standard && !token) {
                std::optional<Result<void>> result;
                EXPECT_EQ(row.start(argument, [&](Result<void> r) { result = std::move(r); }), nullptr);
                ASSERT_TRUE(result.has_value());  // at once, before the call returned
                EXPECT_EQ(result->error().kind(), LumenoError::Kind::invalidToken);
                EXPECT_EQ(server.requestCount(), before);
                continue;
            }
            const Call<void> call([&](auto done) { return row.start(argument, std::move(done)); });
            EXPECT_NE(call.handle, nullptr);
            EXPECT_TRUE(call.result->has_value());
            ASSERT_EQ(server.requestCount(), before + 1);
            const auto request = sent();
            EXPECT_EQ(request.method, row.method);
            EXPECT_EQ(request.path, "/api" + std::string(row.path));
            if (row.body.empty())
                EXPECT_EQ(request.body, "");
            else
                EXPECT_EQ(boost::json::parse(request.body), boost::json::parse(row.body));
            // An empty token is a token: the request goes without "Authorization".
            EXPECT_EQ(sentHeader("Authorization"), token && !token->empty() ? std::optional("JWT " + *token) : std::nullopt);
        }
    }
}

std::vector<std::string> CallTest::writesOf(const StartCall& start, Reply reply, Session session) {
    storeSession(session);
    writes();
    server.otherwise(std::move(reply));
    std::vector<std::optional<std::string>> seen;
    const Call<void> call([&](auto done) {
        return start("given", [&, done = std::move(done)](Result<void> r) mutable {
            seen = items(store());
            done(std::move(r));
        });
    });
    EXPECT_EQ(seen, items(store()));
    return writes();
}

}  // namespace lumeno::test
