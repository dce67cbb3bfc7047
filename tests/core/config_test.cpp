#include <gtest/gtest.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <plist/plist.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <tuple>

#include "core/resources.hpp"
#include "lumeno/core/lumeno.hpp"

using lumeno::LumenoConfig;

namespace {

using Changes = std::initializer_list<std::pair<const char*, plist_t>>;

/// A configuration with every key, as a property list; each change sets a key, or removes it when null.
std::string configText(bool binary = false, Changes changes = {}) {
    const std::unique_ptr<void, decltype(&plist_free)> dict(plist_new_dict(), &plist_free);
    for (auto [key, value] : Changes{
             {"api_gateway", plist_new_string("https://gw.example.com/v1")}, {"x-api-key", plist_new_string("key-1")},
             {"base_url", plist_new_string("https://example.com")}, {"token_type", plist_new_string("JWT")},
             {"program_id", plist_new_uint(42)}, {"program_time_zone", plist_new_string("IST")},
             {"token_refresh_mandatory", plist_new_bool(1)}, {"api_logs_enabled", plist_new_bool(0)},
             {"use_v2_signup", plist_new_bool(1)}, {"is_recaptcha_enabled", plist_new_bool(1)},
             {"recaptcha_site_key", plist_new_string("site")}})
        plist_dict_set_item(dict.get(), key, value);
    for (auto [key, value] : changes)
        value ? plist_dict_set_item(dict.get(), key, value) : plist_dict_remove_item(dict.get(), key);
    char* bytes = nullptr;
    std::uint32_t length = 0;
    (binary ? plist_to_bin : plist_to_xml)(dict.get(), &bytes, &length);
    std::string out(bytes, length);
    (binary ? plist_to_bin_free : plist_to_xml_free)(bytes);
    return out;
}

}  // namespace

TEST(LumenoConfig, DecodesXmlAndBinaryAndDefaultsOptionalKeys) {
    for (bool binary : {false, true}) {
        const auto c = LumenoConfig::decodePlist(configText(binary));
        EXPECT_EQ(std::tie(c.tenant, c.baseURL, c.apiKey, c.tokenType, c.programTimeZone, c.reCaptchaSiteKey),
                  std::tuple("https://gw.example.com/v1", "https://example.com", "key-1", "JWT", "IST", "site"));
        EXPECT_EQ(std::tie(c.programID, c.tokenRefreshMandatory, c.apiLogsEnabled, c.usev2Signup, c.isReCaptchaEnabled),
                  std::tuple(42, true, false, true, true));
    }
    const auto c = LumenoConfig::decodePlist(configText(
        false, {{"program_time_zone", nullptr}, {"token_refresh_mandatory", nullptr}, {"use_v2_signup", nullptr},
                {"is_recaptcha_enabled", nullptr}, {"recaptcha_site_key", nullptr}}));
    EXPECT_FALSE(c.programTimeZone || c.reCaptchaSiteKey || c.tokenRefreshMandatory || c.usev2Signup ||
                 c.isReCaptchaEnabled);
}

TEST(LumenoConfig, DecoderMessages) {
    const std::pair<std::string, std::string> cases[] = {
        {configText(false, {{"program_id", nullptr}}), R"(keyNotFound: "program_id")"},
        {configText(true, {{"program_id", plist_new_real(42.0)}}), R"(typeMismatch: "program_id" expected Int)"},
        {configText(false, {{"program_time_zone", plist_new_bool(1)}}),
         R"(typeMismatch: "program_time_zone" expected String)"},
        {configText(false, {{"use_v2_signup", plist_new_string("YES")}}),
         R"(typeMismatch: "use_v2_signup" expected Bool)"},
        {"<plist><array/></plist>", "typeMismatch: expected Dictionary at the top level"},
        {"", "Invalid plist"},
        {"bplist00garbage", "Invalid plist"},
    };
    for (const auto& [data, message] : cases) {
        try {
            LumenoConfig::decodePlist(data);
            ADD_FAILURE() << "decoded: " << message;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

TEST(LumenoDeathTest, InitializeReadsTheBundlesPlistOrStops) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto& lumeno = lumeno::Lumeno::shared();
    const auto executableFolder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    EXPECT_EQ(lumeno.mainBundlePath(), executableFolder);
    // A fixed folder: each death test's child process rebuilds this same one, and this process removes it.
    const auto bundle = executableFolder / "config-test-bundle";
    std::filesystem::create_directories(bundle / "Folder.plist");
    std::ofstream(bundle / "Config.plist") << configText(true);
    std::ofstream(bundle / "Broken.plist") << "<plist><dict><key>x</dict>";
    std::ofstream(bundle / "NoKey.plist") << configText(false, {{"x-api-key", nullptr}});
    const std::pair<const char*, const char*> faults[] = {
        {"Absent", "Configuration plist missing"},
        {"Folder", "Configuration plist missing"},
        {"Broken", "Invalid plist"},
        {"NoKey", R"(keyNotFound: "x-api-key")"},
    };
    lumeno.setMainBundlePath(bundle);
    for (const auto& [file, message] : faults) EXPECT_DEATH(lumeno.initialize(file), message);
    lumeno.initialize("Config");
    const auto settings = lumeno.settings();
    EXPECT_EQ(std::tie(settings->tenant, settings->programID, settings->programTimeZone),
              std::tuple("https://gw.example.com/v1", 42, "IST"));
    lumeno.apply(LumenoConfig{});
    lumeno.setMainBundlePath({});
    std::filesystem::remove_all(bundle);
}

TEST(EmbeddedResources, ThePinnedRootsAreWholePemCertificates) {
    const std::string_view pem = lumeno::detail::embeddedRootsPem();
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), BIO_free);
    std::size_t read = 0;
    while (X509* cert = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) {
        X509_free(cert);
        ++read;
    }
    std::size_t marked = 0;
    for (auto at = pem.find("-----BEGIN CERTIFICATE-----"); at != std::string_view::npos;
         at = pem.find("-----BEGIN CERTIFICATE-----", at + 1))
        ++marked;
    EXPECT_GT(read, 0u);
    EXPECT_EQ(read, marked) << "a root that OpenSSL cannot read";
}
