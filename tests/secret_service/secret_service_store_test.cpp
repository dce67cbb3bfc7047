// The credential store on a real Secret Service. Each test program runs on a private session bus
// with a GNOME keyring of its own (with_keyring.sh, which ctest puts in front of it).

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

#include "core/secret_service_store.hpp"
#include "support/call_test.hpp"

using namespace lumeno;
using detail::SecretServiceStore;

namespace {

/// `--print-stored-session`: the items a login stores, read from the process's default store.
int printStoredSession() {
    const CredentialsManager& credentials = CredentialsManager::shared();
    std::string items;
    for (auto key : {CredentialsManager::userKey, CredentialsManager::tokenKey, CredentialsManager::sessionTypeKey,
                     CredentialsManager::sessionTypePasswordKey, CredentialsManager::expiryKey})
        items += std::string(key) + "=" + credentials.keychain().string(key).value_or("(absent)") + "\n";
    std::cout << items;
    return 0;
}

/// What `command` prints on stdout; nullopt when it cannot run or fails.
std::optional<std::string> outputOf(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    if (pclose(pipe) != 0) return std::nullopt;
    return output;
}

/// What this test program prints with `--print-stored-session` in another process, stderr included.
std::string storedSessionInAnotherProcess(const std::string& environment = "") {
    return outputOf(environment + " '" + std::filesystem::read_symlink("/proc/self/exe").string() +
                    "' --print-stored-session 2>&1")
        .value_or("(failed)");
}

pid_t keyringPid() { return std::atoi(std::getenv("LUMENO_KEYRING_PID")); }

/// Ends the test's keyring daemon with `signal` and waits until it has gone.
bool stopKeyring(int signal = SIGTERM) {
    const pid_t pid = keyringPid();
    const int process = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (process < 0) return false;
    pollfd exited{.fd = process, .events = POLLIN, .revents = 0};
    const bool stopped = kill(pid, signal) == 0 && poll(&exited, 1, 10'000) == 1;
    close(process);
    return stopped;
}

/// Starts the test's keyring daemon again, on the keyring the one before kept.
bool restartKeyring() {
    // Built by appending: `"'" + std::string` raises GCC 12's false -Wrestrict at -O3.
    std::string command = "'";
    command.append(std::getenv("LUMENO_KEYRING_HARNESS")).append("' --restart");
    const auto pid = outputOf(command);
    return pid && setenv("LUMENO_KEYRING_PID", pid->c_str(), 1) == 0;
}

/// A test on the keyring that with_keyring.sh started for its process; ctest runs every test in
/// a process of its own, so each starts with an empty keyring and the store not yet chosen.
class KeyringTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* missing = std::getenv("LUMENO_KEYRING_MISSING"))
            GTEST_SKIP() << "No Secret Service to test against: " << missing;
        if (const char* error = std::getenv("LUMENO_KEYRING_ERROR")) FAIL() << error;
        ASSERT_TRUE(std::getenv("LUMENO_KEYRING_PID")) << "run through ctest, which starts a keyring for the test";
    }
};

/// A test of the store on that keyring, set as the store of every keychain wrapper.
class SecretServiceStoreTest : public KeyringTest {
protected:
    void SetUp() override {
        KeyringTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        store = SecretServiceStore::connect();
        ASSERT_TRUE(store);
        KeychainWrapper::setSecretStore(store);
    }
    void TearDown() override { KeychainWrapper::setSecretStore(nullptr); }

    std::shared_ptr<SecretServiceStore> store;
    KeychainWrapper keychain{"lumeno.credentials"};
};

TEST_F(SecretServiceStoreTest, ItemsReadBackAsWritten) {
    for (const std::string value : {"eyJhbGciOi.payload.sig", "", "pässwörd with spaces\nand a line"}) {
        ASSERT_TRUE(keychain.set(std::string_view("an earlier value"), "token"));
        ASSERT_TRUE(keychain.set(value, "token"));  // replaces the item, never adds a second
        EXPECT_EQ(keychain.string("token"), value);
    }
    for (const std::int64_t value : {std::int64_t{0}, INT64_MIN, INT64_MAX}) {
        ASSERT_TRUE(keychain.set(value, "sessionTypeKey"));
        EXPECT_EQ(keychain.integer("sessionTypeKey"), value);
    }
    ASSERT_TRUE(keychain.set(std::string_view("1x"), "sessionTypeKey"));
    EXPECT_EQ(keychain.integer("sessionTypeKey"), std::nullopt);
    EXPECT_EQ(keychain.string("never written"), std::nullopt);
}

TEST_F(SecretServiceStoreTest, RemovesOneItemOrEveryItemOfItsServiceOnly) {
    const KeychainWrapper other("lumeno.credentials.other");  // a longer name with the same start
    for (const char* key : {"user", "token"}) {
        ASSERT_TRUE(keychain.set(std::string_view("mine"), key));
        ASSERT_TRUE(other.set(std::string_view("theirs"), key));
    }
    EXPECT_TRUE(keychain.remove("user"));
    EXPECT_FALSE(keychain.remove("user"));  // nothing left to remove
    EXPECT_EQ(keychain.string("user"), std::nullopt);
    EXPECT_EQ(keychain.string("token"), "mine");

    EXPECT_TRUE(keychain.removeAll());
    EXPECT_TRUE(keychain.removeAll());  // an empty service is no failure
    EXPECT_EQ(keychain.string("token"), std::nullopt);
    EXPECT_EQ(other.string("user"), "theirs");
    EXPECT_EQ(other.string("token"), "theirs");
}

TEST_F(KeyringTest, ASessionStoredByLoginOutlivesTheProcess) {
    // Each process chooses its store on first use: the Secret Service when one answers, else memory.
    test::FakeServer server;
    test::useServer(server, "/api");
    server.on("POST", "/api/members/login/", test::Reply::json(R"({"token":"t1","expires_in":"3600"})"));
    const test::Call<MemberResponse> login(
        [](auto done) { return LumenoRequest::login("ada@example.com", "pw", done); });
    ASSERT_TRUE(login.result && login.result->has_value());
    const auto expiry = CredentialsManager::shared().expiryDateString();
    ASSERT_TRUE(expiry);
    test::resetTransport();

    const std::string noBus = "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent";
    const struct {
        std::string environment;
        std::string printed;
    } cases[] = {
        {"", "user=ada@example.com\ntoken=t1\nsessionTypeKey=0\nsessionTypePassword=pw\nexpiry=" + *expiry + "\n"},
        {noBus,
         "lumeno: no Secret Service answers on the session bus; credentials are kept in memory only\n"
         "user=(absent)\ntoken=(absent)\nsessionTypeKey=(absent)\nsessionTypePassword=(absent)\nexpiry=(absent)\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(storedSessionInAnotherProcess(c.environment), c.printed) << c.environment;
}

TEST_F(SecretServiceStoreTest, WithoutLibsecretAProcessKeepsCredentialsInMemory) {
    // libsecret is loaded when the first store connects: where it cannot be (here the child
    // finds an empty file in its place, in a mount namespace of its own), the process carries on
    // as when no service answers.
    if (std::system("unshare --mount true 2>/dev/null") != 0)
        GTEST_SKIP() << "no mount namespace to hide libsecret in";
    ASSERT_TRUE(keychain.set(std::string_view("t1"), "token"));
    void* loaded = dlopen("libsecret-1.so.0", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_TRUE(loaded) << "the store connected without loading libsecret";
    link_map* library = nullptr;
    ASSERT_EQ(dlinfo(loaded, RTLD_DI_LINKMAP, &library), 0);
    const std::string path = library->l_name;
    dlclose(loaded);
    const std::string hidden = "unshare --mount sh -c 'mount --bind /dev/null \"$0\" && exec \"$@\"' '" + path + "'";
    EXPECT_EQ(storedSessionInAnotherProcess(hidden),
              "lumeno: " + path + ": file too short\n"
              "lumeno: no Secret Service answers on the session bus; credentials are kept in memory only\n"
              "user=(absent)\ntoken=(absent)\nsessionTypeKey=(absent)\nsessionTypePassword=(absent)\nexpiry=(absent)\n");
    EXPECT_EQ(keychain.string("token"), "t1");  // this process's store is untouched
}

TEST_F(SecretServiceStoreTest, ALockedCollectionReadsAsAbsentAndRefusesWrites) {
    ASSERT_TRUE(keychain.set(std::string_view("t1"), "token"));
    ASSERT_EQ(std::system("gdbus call --session --dest org.freedesktop.secrets --object-path /org/freedesktop/secrets"
                          " --method org.freedesktop.Secret.Service.Lock"
                          " \"['/org/freedesktop/secrets/collection/login']\" >/dev/null"),
              0);
    EXPECT_EQ(keychain.string("token"), std::nullopt);
    EXPECT_FALSE(keychain.set(std::string_view("t2"), "token"));
    EXPECT_FALSE(keychain.set(std::string_view("t2"), "another"));
    EXPECT_FALSE(keychain.remove("token"));
}

TEST_F(SecretServiceStoreTest, AStoppedServiceGivesAbsentReadsAndFailedWrites) {
    ASSERT_TRUE(keychain.set(std::int64_t{1}, "sessionTypeKey"));
    ASSERT_TRUE(stopKeyring());
    EXPECT_EQ(keychain.string("sessionTypeKey"), std::nullopt);
    EXPECT_EQ(keychain.integer("sessionTypeKey"), std::nullopt);
    EXPECT_FALSE(keychain.set(std::string_view("t2"), "token"));
    EXPECT_FALSE(keychain.remove("sessionTypeKey"));
    EXPECT_FALSE(keychain.removeAll());
    // The credentials manager carries on without throwing: its writes report nothing.
    const CredentialsManager manager(keychain);
    manager.storeCredential("ada", "t2", "3600", CredentialsManager::SessionType::password("pw"));
    EXPECT_EQ(manager.token(), std::nullopt);
}


TEST_F(SecretServiceStoreTest, AServiceStartedAgainIsUsedAgain) {
    for (const int signal : {SIGTERM, SIGKILL}) {
        ASSERT_TRUE(keychain.set(std::string_view("before"), "token"));
        ASSERT_TRUE(stopKeyring(signal));
        EXPECT_EQ(keychain.string("token"), std::nullopt);
        ASSERT_TRUE(restartKeyring());
        EXPECT_EQ(keychain.string("token"), "before") << signal;
        EXPECT_TRUE(keychain.set(std::string_view("after"), "token")) << signal;
        EXPECT_EQ(keychain.string("token"), "after") << signal;
    }
}

TEST_F(SecretServiceStoreTest, AFrozenServiceHoldsACallForSecondsOnly) {
    using std::chrono::steady_clock;
    ASSERT_TRUE(keychain.set(std::string_view("t1"), "token"));
    ASSERT_EQ(kill(keyringPid(), SIGSTOP), 0);
    const auto start = steady_clock::now();
    const auto read = keychain.string("token");
    const bool written = keychain.set(std::string_view("t2"), "token");
    const auto session = CredentialsManager(keychain).session();  // six reads
    const auto took = steady_clock::now() - start;
    ASSERT_EQ(kill(keyringPid(), SIGCONT), 0);
    EXPECT_EQ(read, std::nullopt);
    EXPECT_FALSE(written);
    EXPECT_EQ(session.token, std::nullopt);
    EXPECT_LT(took, std::chrono::seconds(10));  // D-Bus alone waits 25 s per call
    // Once the service answers again, and the time the store gives up on it has passed, the
    // store answers again too.
    std::this_thread::sleep_for(SecretServiceStore::callLimit);
    EXPECT_EQ(keychain.string("token"), "t1");
}

TEST_F(SecretServiceStoreTest, EachCallIsTimedFromItsOwnStart) {
    // Calls, some back to back and some after a pause, for longer than one call's limit.
    using std::chrono::steady_clock;
    ASSERT_TRUE(keychain.set(std::string_view("t1"), "token"));
    const auto end = steady_clock::now() + SecretServiceStore::callLimit * 3 / 2;
    int calls = 0, answered = 0;
    for (; steady_clock::now() < end; ++calls) {
        answered += keychain.string("token") == "t1";
        if (calls % 8 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(answered, calls);
}

TEST_F(KeyringTest, ALoginCutShortByTheServiceIsReadWholeAfterItsRestart) {
    const CredentialsManager& credentials = CredentialsManager::shared();
    const auto login = [&](const std::string& who) {
        credentials.storeCredential(who, "tok-" + who, "3600", CredentialsManager::SessionType::password("pw-" + who));
    };
    const auto start = std::chrono::steady_clock::now();
    login("ada");
    const auto loginTime = std::chrono::steady_clock::now() - start;
    // One member's session, each of its five lines, the expiry a date of this millennium.
    const auto whole = [](const std::string& printed) {
        return std::ranges::any_of(std::array{"ada", "bob"}, [&](const std::string& who) {
            const std::string session = "user=" + who + "\ntoken=tok-" + who +
                                        "\nsessionTypeKey=0\nsessionTypePassword=pw-" + who + "\nexpiry=2";
            return printed.starts_with(session) && printed.find('\n', session.size()) == printed.size() - 1;
        });
    };
    // Logins alternate while the service is killed, each round a quarter of a login later.
    for (int round = 0; round < 10; ++round) {
        std::atomic<bool> stop = false;
        std::jthread logins([&] {
            for (int i = 0; !stop; ++i) login(i % 2 ? "ada" : "bob");
        });
        std::this_thread::sleep_for(loginTime * (2 * round + 1) / 4);
        ASSERT_TRUE(stopKeyring(SIGKILL));
        stop = true;
        logins.join();
        ASSERT_TRUE(restartKeyring());
        const std::string printed = storedSessionInAnotherProcess();
        EXPECT_TRUE(whole(printed)) << "round " << round << ":\n" << printed;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--print-stored-session") return printStoredSession();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
