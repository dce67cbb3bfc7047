#include <gtest/gtest.h>

#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/lumeno.hpp"
#include "support/recording_store.hpp"

using namespace std::chrono;
using lumeno::CredentialsManager;
using lumeno::Date;
using lumeno::KeychainWrapper;
using SessionType = CredentialsManager::SessionType;
using Log = std::vector<std::string>;

namespace {

constexpr Date kNow = sys_days(2024y / 1 / 2) + 10h;

class Credentials : public ::testing::Test {
protected:
    void SetUp() override {
        lumeno::Lumeno::shared().programTimeZone.reset();  // the store's formatter then writes UTC
        KeychainWrapper::setSecretStore(store);
    }
    void TearDown() override { KeychainWrapper::setSecretStore(nullptr); }

    std::shared_ptr<lumeno::test::RecordingStore> store = std::make_shared<lumeno::test::RecordingStore>();
    CredentialsManager manager{KeychainWrapper("test.credentials"), [] { return kNow; }};
};

}  // namespace

TEST_F(Credentials, StoreCredentialWritesItsItemsInOrder) {
    struct Case {
        std::optional<std::string> user, token, expiresIn;
        SessionType session;
        Log writes;
    };
    const Case cases[] = {
        {"ann", "t1", "3600", SessionType::password("pw"),
         {"set user=ann", "set token=t1", "set sessionTypeKey=0", "set sessionTypePassword=pw",
          "set expiry=2024-01-02T10:58:00.000+0000"}},
        {"bob", "t2", "3.6e3", SessionType::social(),
         {"set user=bob", "set token=t2", "set sessionTypeKey=1", "set expiry=2024-01-02T10:58:00.000+0000"}},
        {std::nullopt, std::nullopt, std::nullopt, SessionType::password(""),
         {"remove user", "remove token", "set sessionTypeKey=0", "set sessionTypePassword=", "remove expiry"}},
        {"cy", "t3", "soon", SessionType::social(),
         {"set user=cy", "set token=t3", "set sessionTypeKey=1", "set expiry=2024-01-02T10:00:00.000+0000"}},
    };
    for (const auto& c : cases) {
        manager.storeCredential(c.user, c.token, c.expiresIn, c.session);
        EXPECT_EQ(store->takeLog(), c.writes);
    }
    // A social session leaves the last stored password in place.
    EXPECT_EQ(manager.keychain().string("sessionTypePassword"), "");
    EXPECT_EQ(manager.keychain().integer("sessionTypeKey"), 1);
    EXPECT_EQ(manager.token(), "t3");
    EXPECT_EQ(manager.expiryDate(), kNow);
}

TEST_F(Credentials, ExpiryArithmeticToTheSecond) {
    const std::pair<const char*, duration<double>> numbers[] = {
        {"3600", 3480s}, {"3600.5", 3480.5s}, {"3.6e3", 3480s}, {"0", -120s}, {"-60", -180s}, {"120", 0s},
    };
    for (const auto& [text, offset] : numbers)
        EXPECT_EQ(manager.expiryFrom(text), kNow + duration_cast<Date::duration>(offset)) << text;
    for (const char* text : {"", "abc", "3600s", " 3600", "3600 ", "inf", "-inf", "nan", "0x10", "1,5"})
        EXPECT_EQ(manager.expiryFrom(text), kNow) << text;
    // Far beyond what a Date holds: stops near its end instead of overflowing.
    EXPECT_GT(manager.expiryFrom("1e300"), kNow + years(200));
    EXPECT_LT(manager.expiryFrom("-1e300"), kNow - years(200));

    manager.storeCredential("ann", "t", "3600", SessionType::password("pw"));
    EXPECT_EQ(manager.expiryDate(), kNow + 3480s);
}

TEST_F(Credentials, UnreadableExpiryReadsAsAbsent) {
    for (const char* text : {"tomorrow", "2024-01-02T10:00:00Z", "2024-01-02", ""}) {
        manager.setExpiryDateString(text);
        EXPECT_EQ(manager.expiryDateString(), text);
        EXPECT_FALSE(manager.expiryDate()) << text;
    }
    manager.setExpiryDateString("2024-01-02T15:30:00.000+0530");
    EXPECT_EQ(manager.expiryDate(), kNow);
    manager.setExpiryDate(std::nullopt);
    EXPECT_FALSE(manager.expiryDateString());
}

TEST_F(Credentials, RemoveCredentialClearsOnlyItsService) {
    const KeychainWrapper other("other.service");
    other.set("keep", "token");
    manager.storeCredential("ann", "t", "60", SessionType::password("pw"));
    manager.removeCredential();
    for (auto key : {"user", "token", "expiry", "sessionTypeKey", "sessionTypePassword"})
        EXPECT_FALSE(manager.keychain().string(key)) << key;
    EXPECT_EQ(other.string("token"), "keep");
    EXPECT_EQ(CredentialsManager::shared().keychain().serviceName(), CredentialsManager::serviceName);
}

TEST_F(Credentials, IntegerItemsReadOnlyWholeNumbers) {
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"12", 12}, {"-3", -3}, {"12x", std::nullopt}, {"", std::nullopt}, {"1.0", std::nullopt},
    };
    for (const auto& [text, value] : cases) {
        manager.keychain().set(std::string_view(text), "n");
        EXPECT_EQ(manager.keychain().integer("n"), value) << text;
    }
}
