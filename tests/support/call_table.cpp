#include "support/call_table.hpp"

#include <thread>

namespace lumeno::test {

namespace {

/// The token a row's request carries; nullopt: none.
std::optional<std::string> expectedToken(TokenRule rule, const Token& argument, const Token& stored) {
    switch (rule) {
        case TokenRule::standard: return argument ? argument : stored;
        case TokenRule::none: return std::nullopt;
        case TokenRule::argument:
        case TokenRule::argumentRequired: return argument;
        case TokenRule::otp: return "otp";
    }
    return std::nullopt;
}

/// What one started call has seen so far.
struct Outcome {
    int completions = 0;
    std::optional<Seen> seen;
    std::thread::id thread;
};

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
    std::vector<std::pair<std::string, std::shared_ptr<Outcome>>> outcomes;
    const auto first = server.requestCount();
    std::size_t sends = 0;
    for (const auto& row : rows) {
        server.on(row.method, row.path, row.reply);
        for (const auto& [argument, stored] : situations) {
            outcomes.emplace_back(std::string(row.name) + ", given " + argument.value_or("-") + ", stored " +
                                      stored.value_or("-"),
                                  std::make_shared<Outcome>());
            SCOPED_TRACE(outcomes.back().first);
            store().setToken(stored);
            const auto token = expectedToken(row.rule, argument, stored);
            const auto before = server.requestCount();
            const auto outcome = outcomes.back().second;
            const Handle handle = row.start(argument, [outcome](Seen s) {
                ++outcome->completions;
                outcome->seen = std::move(s);
                outcome->thread = std::this_thread::get_id();
            });
            if ((row.rule == TokenRule::standard || row.rule == TokenRule::argumentRequired) && !token) {
                EXPECT_FALSE(handle);
                ASSERT_TRUE(outcome->seen.has_value() && *outcome->seen);  // before the call returned
                EXPECT_EQ((*outcome->seen)->kind(), LumenoError::Kind::invalidToken);
                EXPECT_EQ(server.requestCount(), before);
                continue;
            }
            ++sends;
            EXPECT_FALSE(outcome->seen.has_value());  // on the main queue, once the call returned
            ASSERT_TRUE(test::waitFor([&] { return outcome->seen.has_value(); }));
            EXPECT_TRUE(handle);
            EXPECT_FALSE(*outcome->seen) << (*outcome->seen)->description();
            ASSERT_EQ(server.requestCount(), before + 1);
            const auto request = sent();
            EXPECT_EQ(request.method, row.method);
            EXPECT_EQ(request.path, row.path);
            EXPECT_EQ(request.params, row.query);
            if (row.body) {
                JsonValue body = boost::json::parse(request.body);
                if (row.varying) row.varying(body);
                EXPECT_EQ(body, boost::json::parse(row.body));
                EXPECT_EQ(sentHeader("Content-Type"), "application/json");
            } else {
                EXPECT_EQ(request.body, "");
                EXPECT_EQ(sentHeader("Content-Type"), std::nullopt);
            }
            EXPECT_EQ(sentHeader("x-api-key"), "key");
            EXPECT_EQ(sentHeader("Authorization"),
                      token && !token->empty() ? std::optional("JWT " + *token) : std::nullopt);
        }
    }
    test::settle();  // a second completion or a late request would show by now
    for (const auto& [name, outcome] : outcomes) {
        EXPECT_EQ(outcome->completions, 1) << name;
        EXPECT_EQ(outcome->thread, std::this_thread::get_id()) << name;  // the main queue runs here
    }
    EXPECT_EQ(server.requestCount(), first + sends);
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
