// Initialises the library from demo.plist (next to the executable) and prints its settings.
#include <iostream>

#include "lumeno/lumeno.hpp"

int main() {
    auto& lumeno = lumeno::Lumeno::shared();
    lumeno.initialize("demo");

    const auto flag = [](bool on) { return on ? "on" : "off"; };
    std::cout << "Lumeno settings (from " << (lumeno.mainBundlePath() / "demo.plist").string() << ")\n"
              << "  API gateway          " << lumeno.tenant << "\n"
              << "  base URL             " << lumeno.baseURL << "\n"
              << "  token type           " << lumeno.tokenType << "\n"
              << "  programme id         " << lumeno.programID << "\n"
              << "  programme time zone  " << lumeno.programTimeZone.value_or("(none: UTC)") << " -> "
              << lumeno::programTimeZoneId(lumeno.programTimeZone) << "\n"
              << "  token refresh        " << flag(lumeno.tokenRefreshMandatory) << "\n"
              << "  API logs             " << flag(lumeno.apiLogsEnabled) << "\n"
              << "  v2 sign-up           " << flag(lumeno.usev2Signup) << "\n"
              << "  reCAPTCHA            " << flag(lumeno.isReCaptchaEnabled) << "\n"
              << "  default page limit   " << lumeno.defaultPageLimit << "\n"
              << "  a random file suffix " << lumeno::Utils::randomString(6) << "\n";
    return 0;
}
