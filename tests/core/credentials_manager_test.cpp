#include <gtest/gtest.h>

#include <atomic>
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
