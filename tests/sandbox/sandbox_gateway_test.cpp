// The sandbox gateway as a host meets it: on the port it is given, with a sample configuration
// that points the host at it.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "lumeno/lumeno.hpp"
#include "sandbox/sandbox_gateway.hpp"
#include "support/wait.hpp"

using namespace lumeno;
using sandbox::SandboxGateway;

namespace {

/// The body of a plain GET; empty when the transfer fails or the status is not 200.
std::string fetch(const std::string& url) {
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    std::string body;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, +[](char* data, size_t, size_t size, void* out) {
        static_cast<std::string*>(out)->append(data, size);
        return size;
    });
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &body);
    long status = 0;
    if (curl_easy_perform(curl.get()) != CURLE_OK) return {};
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    return status == 200 ? body : std::string();
}

}  // namespace

TEST(SandboxGateway, ListensOnTheGivenPortOnly) {
    int port = 0;
    {
        const SandboxGateway ephemeral;
        port = std::stoi(ephemeral.baseURL().substr(ephemeral.baseURL().rfind(':') + 1));
        EXPECT_THROW(SandboxGateway{port}, std::runtime_error);  // taken: no second gateway shares it
    }
    const SandboxGateway given(port);
    EXPECT_EQ(given.baseURL(), "http://127.0.0.1:" + std::to_string(port));
    EXPECT_EQ(given.gatewayURL(), given.baseURL() + "/api/v1");
}

TEST(SandboxGateway, ItsSampleConfigurationLetsAHostSignIn) {
    SandboxGateway gateway;
    const std::string plist = fetch(gateway.baseURL() + std::string(SandboxGateway::samplePlistPath));
    ASSERT_EQ(plist, gateway.samplePlist());

    const auto bundle = std::filesystem::temp_directory_path() / ("sandbox-bundle-" + std::to_string(::getpid()));
    std::filesystem::create_directories(bundle);
    std::ofstream(bundle / "Lumeno.plist") << plist;
    KeychainWrapper::setSecretStore(std::make_shared<InMemorySecretStore>());
    Lumeno::shared().setMainBundlePath(bundle);
    Lumeno::shared().initialize("Lumeno");
    std::filesystem::remove_all(bundle);

    std::optional<Result<MemberResponse>> login;
    LumenoRequest::login(std::string(SandboxGateway::username), std::string(SandboxGateway::password),
                         [&](Result<MemberResponse> result) { login = std::move(result); });
    ASSERT_TRUE(test::waitFor([&] { return login.has_value(); }));
    ASSERT_TRUE(login->has_value()) << login->error().description();
    EXPECT_EQ(gateway.server().requests().back().path, std::string(SandboxGateway::basePath) + "/members/login/");
    Lumeno::shared().setMainBundlePath({});
}
