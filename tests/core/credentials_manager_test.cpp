#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <limits>
#include <thread>

#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/lumeno.hpp"
#include "support/recording_store.hpp"

using namespace std::chrono;
using lumeno::CredentialsManager;
using lumeno::Date;
using SessionType = CredentialsManager::SessionType;

namespace {

constexpr Date kNow = sys_days(2024y / 1 / 2) + 10h;

class Credentials : public ::testing::Test {
protected:
    void SetUp() override {
        // The store's formatter then writes UTC.
        lumeno::Lumeno::shared().updateSettings([](auto& settings) { settings.programTimeZone.reset(); });
        lumeno::KeychainWrapper::setSecretStore(store);
    }
    void TearDown() override { lumeno::KeychainWrapper::setSecretStore(nullptr); }

    std::shared_ptr<lumeno::test::RecordingStore> store = std::make_shared<lumeno::test::RecordingStore>();
    CredentialsManager manager{lumeno::KeychainWrapper("test.credentials"), [] { return kNow; }};
};

}  // namespace

TEST_F(Credentials, StoreWritesItsItemsInOrderAndRemoveClearsOnlyItsService) {
    const std::tuple<std::optional<std::string>, std::optional<std::string>, SessionType, std::vector<std::string>>
        cases[] = {
            {"ann", "3600", SessionType::password("pw"),
             {"set user=ann", "set token=t", "set sessionTypeKey=0", "set sessionTypePassword=pw",
              "set expiry=2024-01-02T10:58:00.000+0000"}},
            {std::nullopt, std::nullopt, SessionType::password(""),
             {"remove user", "remove token", "set sessionTypeKey=0", "set sessionTypePassword=", "remove expiry"}},
            {"cy", "soon", SessionType::social(),
             {"set user=cy", "set token=t", "set sessionTypeKey=1", "set expiry=2024-01-02T10:00:00.000+0000"}},
        };
    for (const auto& [user, expiresIn, session, writes] : cases) {
        manager.storeCredential(user, user ? std::optional<std::string>("t") : std::nullopt, expiresIn, session);
        EXPECT_EQ(store->takeLog(), writes);
    }
    EXPECT_EQ(manager.keychain().string("sessionTypePassword"), "");  // a social session leaves it in place

    const lumeno::KeychainWrapper other("other.service");
    other.set("keep", "token");
    manager.removeCredential();
    EXPECT_FALSE(manager.token() || manager.keychain().string("sessionTypePassword"));
    EXPECT_EQ(other.string("token"), "keep");
}

TEST_F(Credentials, ExpiryArithmeticToTheSecond) {
    // Beyond what a Date holds, the instant stops at 9.2e9 s either side of 1970.
    constexpr Date latest(seconds(9'200'000'000)), earliest(seconds(-9'200'000'000));
    const std::pair<const char*, Date> numbers[] = {
        {"3600.5", kNow + 3480500ms}, {"3.6e3", kNow + 3480s}, {"-60", kNow - 180s},
        {"-1e10", Date(seconds(-8'295'810'520))},  // kNow - 1e10 s - 120 s: in range, the offset alone is not
        {"1e300", latest}, {"-1e300", earliest}, {"-1.7e308", earliest},
    };
    for (const auto& [text, expected] : numbers) EXPECT_EQ(manager.expiryFrom(text), expected) << text;
    for (const char* text : {"", "3600s", " 3600", "inf", "nan", "0x10"})
        EXPECT_EQ(manager.expiryFrom(text), kNow) << text;
}

TEST_F(Credentials, UnreadableExpiryReadsAsAbsent) {
    for (const char* text : {"tomorrow", "2024-01-02T10:00:00Z", ""}) {
        manager.setExpiryDateString(text);
        EXPECT_FALSE(manager.expiryDate()) << text;
    }
    manager.setExpiryDateString("2024-01-02T15:30:00.000+0530");
    EXPECT_EQ(manager.expiryDate(), kNow);
}

TEST_F(Credentials, IntegerItemsReadOnlyWholeNumbers) {
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {{"-3", -3}, {"12x", {}}, {"1.0", {}}};
    for (const auto& [text, value] : cases) {
        manager.keychain().set(std::string_view(text), "n");
        EXPECT_EQ(manager.keychain().integer("n"), value) << text;
    }
}

TEST_F(Credentials, ASessionIsReadWholeWhileAnotherIsWritten) {
    std::atomic<int> stored = 0;
    std::jthread writer([&](std::stop_token stop) {
        for (int i = 0; !stop.stop_requested(); ++i, ++stored) {
            const std::string user = i % 2 ? "bob" : "ann";
            manager.storeCredential(user, "t-" + user, "3600", SessionType::password("pw-" + user));
        }
    });
    int mismatched = 0;
    while (stored < 2000) {
        const auto session = manager.session();
        if (session.user && ("pw-" + *session.user != session.password || "t-" + *session.user != session.token))
            ++mismatched;
    }
    writer.request_stop();
    writer.join();
    EXPECT_EQ(mismatched, 0);
    const auto last = manager.session();
    EXPECT_EQ(std::tie(last.sessionType, last.expiry), std::tuple(0, kNow + 3480s));
}

TEST_F(Credentials, AWriteThatTheStoreStopsPartWayLeavesOneSessionWhole) {
    using Write = std::function<void()>;
    const Write ada = [&] { manager.storeCredential("ada", "tok-ada", "60", SessionType::password("pw-ada")); };
    const Write bob = [&] { manager.storeCredential("bob", "tok-bob", "3600", SessionType::password("pw-bob")); };
    const Write social = [&] {
        ada();
        manager.storeCredential("cy", "tok-cy", std::nullopt, SessionType::social());
    };
    const Write passwordChange = [&] { manager.setSessionType(SessionType::password("pw-new")); };
    const Write signOut = [&] { manager.removeCredential(); };
    const struct {
        const char* name;
        Write earlier, later;
    } cases[] = {{"login over a login", ada, bob},
                 {"password change over a social session", social, passwordChange},
                 {"sign-out", ada, signOut}};
    // The items one by one, then the session as one snapshot.
    const auto stored = [&] {
        std::string text;
        for (auto key : {CredentialsManager::userKey, CredentialsManager::tokenKey, CredentialsManager::sessionTypeKey,
                         CredentialsManager::sessionTypePasswordKey, CredentialsManager::expiryKey})
            text += std::string(key) + "=" + manager.keychain().string(key).value_or("-") + " ";
        const auto session = manager.session();
        return text + "| " + session.user.value_or("-") + " " + session.token.value_or("-") + " " +
               std::to_string(session.sessionType.value_or(-1)) + " " + session.password.value_or("-") + " " +
               (session.expiry ? std::to_string(session.expiry->time_since_epoch().count()) : "-");
    };
    const auto acceptAll = [&] { store->acceptOnly(std::numeric_limits<std::size_t>::max()); };
    for (const auto& c : cases) {
        c.earlier();
        const std::string before = stored();
        c.later();
        const std::string after = stored();
        ASSERT_NE(before, after) << c.name;
        // The store accepts k changes, then refuses every one; the next write, with the store
        // working again, completes whatever was left.
        for (std::size_t k = 0; k <= 8; ++k) {
            acceptAll();
            manager.removeCredential();
            c.earlier();
            store->acceptOnly(k);
            c.later();
            acceptAll();
            const std::string seen = stored();
            EXPECT_TRUE(seen == before || seen == after) << c.name << ", " << k << " changes: " << seen;
            c.later();
            EXPECT_EQ(stored(), after) << c.name << ", " << k << " changes";
            EXPECT_EQ(manager.keychain().string(lumeno::KeychainWrapper::pendingKey), std::nullopt);
        }
    }
}
