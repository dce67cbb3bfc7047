#include <gtest/gtest.h>
#include <plist/plist.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <tuple>

#include "core/resources.hpp"
#include "lumeno/core/lumeno.hpp"

using lumeno::Lumeno;
using lumeno::LumenoConfig;

namespace {

using Plist = std::unique_ptr<void, decltype(&plist_free)>;
using Edit = std::function<void(plist_t)>;

/// A configuration dictionary with every key; `edit` changes it before it is written out.
Plist configDict(const Edit& edit = nullptr) {
    const std::pair<const char*, plist_t> items[] = {
        {"api_gateway", plist_new_string("https://gw.example.com/v1")},
        {"base_url", plist_new_string("https://example.com")},
        {"x-api-key", plist_new_string("key-1")},
        {"token_type", plist_new_string("JWT")},
        {"program_id", plist_new_uint(42)},
        {"program_time_zone", plist_new_string("IST")},
        {"token_refresh_mandatory", plist_new_bool(1)},
        {"api_logs_enabled", plist_new_bool(0)},
        {"use_v2_signup", plist_new_bool(1)},
        {"is_recaptcha_enabled", plist_new_bool(1)},
        {"recaptcha_site_key", plist_new_string("site")},
    };
    Plist dict(plist_new_dict(), &plist_free);
    for (const auto& [key, value] : items) plist_dict_set_item(dict.get(), key, value);
    if (edit) edit(dict.get());
    return dict;
}

std::string serialise(plist_t plist, bool binary) {
    char* bytes = nullptr;
    std::uint32_t length = 0;
    (binary ? plist_to_bin : plist_to_xml)(plist, &bytes, &length);
    std::string out(bytes, length);
    (binary ? plist_to_bin_free : plist_to_xml_free)(bytes);
    return out;
}

std::string configText(const Edit& edit = nullptr, bool binary = false) {
    return serialise(configDict(edit).get(), binary);
}

Edit removing(const char* key) {
    return [key](plist_t dict) { plist_dict_remove_item(dict, key); };
}

Edit setting(const char* key, plist_t (*make)()) {
    return [key, make](plist_t dict) { plist_dict_set_item(dict, key, make()); };
}

/// A folder of its own under the system's temporary folder, removed afterwards.
struct TempBundle {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("lumeno-config-" + std::to_string(::getpid()) + "-" +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempBundle() { std::filesystem::create_directories(path); }
    ~TempBundle() { std::filesystem::remove_all(path); }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path / name, std::ios::binary) << bytes;
    }
};

}  // namespace

TEST(LumenoConfig, DecodesXmlAndBinary) {
    for (bool binary : {false, true}) {
        const auto c = LumenoConfig::decodePlist(configText(nullptr, binary));
        EXPECT_EQ(std::tie(c.apiGateway, c.baseURL, c.apiKey, c.tokenType, c.programTimeZone, c.reCaptchaSiteKey),
                  std::tuple("https://gw.example.com/v1", "https://example.com", "key-1", "JWT", "IST", "site"));
        EXPECT_EQ(c.programID, 42);
        EXPECT_EQ(std::tuple(c.tokenRefreshMandatory, c.apiLogsEnabled, c.usev2Signup, c.isReCaptchaEnabled),
                  std::tuple(true, false, true, true));
    }
}

TEST(LumenoConfig, OptionalKeysMayBeLeftOut) {
    const auto config = LumenoConfig::decodePlist(configText([](plist_t dict) {
        for (auto key : {"program_time_zone", "token_refresh_mandatory", "api_logs_enabled", "use_v2_signup",
                         "is_recaptcha_enabled", "recaptcha_site_key"})
            plist_dict_remove_item(dict, key);
    }));
    EXPECT_FALSE(config.programTimeZone || config.reCaptchaSiteKey);
    EXPECT_FALSE(config.tokenRefreshMandatory || config.apiLogsEnabled || config.usev2Signup ||
                 config.isReCaptchaEnabled);
}

TEST(LumenoConfig, DecoderMessages) {
    std::vector<std::pair<std::string, std::string>> cases;
    for (auto key : {"api_gateway", "base_url", "x-api-key", "token_type", "program_id"})
        cases.emplace_back(configText(removing(key)), "keyNotFound: \"" + std::string(key) + "\"");
    const std::pair<std::string, const char*> mistyped[] = {
        {configText(setting("program_id", [] { return plist_new_string("42"); })),
         R"(typeMismatch: "program_id" expected Int)"},
        {configText(setting("program_id", [] { return plist_new_real(42.0); })),
         R"(typeMismatch: "program_id" expected Int)"},
        {configText(setting("api_gateway", [] { return plist_new_uint(1); })),
         R"(typeMismatch: "api_gateway" expected String)"},
        {configText(setting("program_time_zone", [] { return plist_new_bool(1); })),
         R"(typeMismatch: "program_time_zone" expected String)"},
        {configText(setting("use_v2_signup", [] { return plist_new_string("YES"); })),
         R"(typeMismatch: "use_v2_signup" expected Bool)"},
        {serialise(Plist(plist_new_array(), &plist_free).get(), false),
         "typeMismatch: expected Dictionary at the top level"},
        {"not a property list", "Invalid plist"},
        {"", "Invalid plist"},
        {"bplist00garbage", "Invalid plist"},
    };
    cases.insert(cases.end(), std::begin(mistyped), std::end(mistyped));
    for (const auto& [data, message] : cases) {
        try {
            LumenoConfig::decodePlist(data);
            ADD_FAILURE() << "decoded: " << message;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

TEST(Lumeno, InitializeReadsThePlistFromTheMainBundle) {
    const TempBundle bundle;
    bundle.write("Config.plist", configText(nullptr, true));
    auto& lumeno = Lumeno::shared();
    lumeno.setMainBundlePath(bundle.path);
    lumeno.initialize("Config");
    EXPECT_EQ(lumeno.tenant, "https://gw.example.com/v1");
    EXPECT_EQ(lumeno.programID, 42);
    EXPECT_EQ(lumeno.programTimeZone, "IST");
    lumeno.updateAttributes("key-2", std::nullopt);
    EXPECT_EQ(lumeno.apiKey, "key-2");
    EXPECT_FALSE(lumeno.reCaptchaSiteKey);
    EXPECT_EQ(lumeno.defaultPageLimit, 50);
    EXPECT_EQ(lumeno.doResetPasswordEndpoint, "/accounts/do-reset-password/");

    lumeno.apply(LumenoConfig{});  // back to the defaults for the other tests
    lumeno.setMainBundlePath({});
}

TEST(LumenoDeathTest, InitializeStopsOnConfigurationFaults) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const TempBundle bundle;
    bundle.write("Broken.plist", "<plist><dict><key>x</dict>");
    bundle.write("NoKey.plist", configText(removing("x-api-key")));
    std::filesystem::create_directory(bundle.path / "Folder.plist");
    const std::pair<const char*, const char*> cases[] = {
        {"Absent", "Configuration plist missing"},
        {"Folder", "Configuration plist missing"},
        {"Broken", "Invalid plist"},
        {"NoKey", R"(keyNotFound: "x-api-key")"},
    };
    for (const auto& [file, message] : cases) {
        EXPECT_DEATH(
            {
                Lumeno::shared().setMainBundlePath(bundle.path);
                Lumeno::shared().initialize(file);
            },
            message);
    }
}

TEST(Lumeno, MainBundleDefaultsToTheExecutablesFolder) {
    EXPECT_EQ(Lumeno::shared().mainBundlePath(), std::filesystem::read_symlink("/proc/self/exe").parent_path());
}

TEST(EmbeddedResources, ThePinnedRootsAreThere) {
    for (auto name : {"AmazonRootCA1", "AmazonRootCA2", "AmazonRootCA3", "AmazonRootCA4", "SFSRootCAG2"}) {
        const auto bytes = lumeno::detail::embeddedResource(name, "cer");
        ASSERT_GT(bytes.size(), 400u) << name;
        EXPECT_EQ(bytes[0], 0x30) << name;  // a DER SEQUENCE
    }
    EXPECT_TRUE(lumeno::detail::embeddedResource("AmazonRootCA1", "pem").empty());
    EXPECT_TRUE(lumeno::detail::embeddedResource("Nope", "cer").empty());
}
