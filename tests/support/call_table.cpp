#include "support/call_table.hpp"

namespace lumeno::test {

namespace {

/// The token a row's request carries; nullopt: none.
std::optional<std::string> expectedToken(TokenRule rule, const Token& argument, const Token& stored) {
    switch (rule) {
        case TokenRule::standard: return argument ? argument : stored;
        case TokenRule::none: return std::nullopt;
        case TokenRule::argument: return argument;
        case TokenRule::otp: return "otp";
    }
    return std::nullopt;
}

/// The five items of the store, in a fixed order.
std::vector<std::optional<std::string>> items(const CredentialsManager& store) {
    std::vector<std::optional<std::string>> values;
    for (const auto key : {CredentialsManager::userKey, CredentialsManager::tokenKey, CredentialsManager::expiryKey,
                           CredentialsManager::sessionTypeKey, CredentialsManager::sessionTypePasswordKey})
        values.push_back(store.keychain().string(key));
    return values;
}

}  // namespace

void CallTableTest::checkEachCall(const std::vector<CallRow>& rows) {
    const std::pair<Token, Token> situations[] = {
        {"t", std::nullopt}, {std::nullopt, "s"}, {"", "s"}, {std::nullopt, std::nullopt}};
    for (const auto& row : rows) {
        server.on(row.method, row.path, row.reply);
        for (const auto& [argument, stored] : situations) {
            SCOPED_TRACE(std::string(row.name) + ", given " + argument.value_or("-") + ", stored " + stored.value_or("-"));
            store().setToken(stored);
            const auto token = expectedToken(row.rule, argument, stored);
            const auto before = server.requestCount();
            std::optional<Seen> seen;
            const Handle handle = row.start(argument, [&](Seen s) { seen = std::move(s); });
            if (row.rule == TokenRule::standard && !token) {
                EXPECT_FALSE(handle);
                ASSERT_TRUE(seen.has_value() && *seen);  // before the call returned
                EXPECT_EQ((*seen)->kind(), LumenoError::Kind::invalidToken);
                test::settle();
                EXPECT_EQ(server.requestCount(), before);
                continue;
            }
            ASSERT_TRUE(test::waitFor([&] { return seen.has_value(); }));
            EXPECT_TRUE(handle);
            EXPECT_FALSE(*seen) << (*seen)->description();
            ASSERT_EQ(server.requestCount(), before + 1);
            const auto request = sent();
            EXPECT_EQ(request.method, row.method);
            EXPECT_EQ(request.path, row.path);
            EXPECT_EQ(parsedQuery(request.query), row.query);
            EXPECT_EQ(request.body.empty() ? JsonValue() : boost::json::parse(request.body),
                      row.body ? boost::json::parse(row.body) : JsonValue());
            EXPECT_EQ(sentHeader("Content-Type").has_value(), row.body != nullptr);
            EXPECT_EQ(sentHeader("x-api-key"), "key");
            EXPECT_EQ(sentHeader("Authorization"),
                      token && !token->empty() ? std::optional("JWT " + *token) : std::nullopt);
        }
    }
}

void CallTableTest::storeSession(Session session) {
    store().removeCredential();
    if (session == Session::password) storeEarlierSession();
    if (session == Session::social)
        store().storeCredential("old@example.com", "old-token", "3600", CredentialsManager::SessionType::social());
}

std::vector<std::string> CallTableTest::writes() {
    auto log = recording->takeLog();
    for (auto& entry : log)
        if (entry.starts_with("set expiry=")) entry = "set expiry";
    return log;
}

std::vector<std::string> CallTableTest::writesOf(const Start& start, Reply reply, Session session) {
    storeSession(session);
    writes();
    server.otherwise(std::move(reply));
    std::optional<Seen> seen;
    std::vector<std::optional<std::string>> itemsSeen;
    start("given", [&](Seen s) {
        itemsSeen = items(store());
        seen = std::move(s);
    });
    EXPECT_TRUE(test::waitFor([&] { return seen.has_value(); }));
    EXPECT_EQ(itemsSeen, items(store()));
    return writes();
}

}  // namespace lumeno::test
