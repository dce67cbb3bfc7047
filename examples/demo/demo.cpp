// The library's main road against the sandbox gateway: initialise, then each area's calls.
#include "demo/demo.hpp"
#include "sandbox/sandbox_gateway.hpp"

namespace lumeno::demo {

std::ostream& step() {
    static int number = 0;
    return std::cout << ++number << ". ";
}

}  // namespace lumeno::demo

int main() {
    using namespace lumeno;
    sandbox::SandboxGateway gateway;

    // The configuration comes from demo.plist next to the executable; the sandbox listens on a
    // port chosen when it starts, so the gateway URL is pointed at it afterwards.
    Lumeno::shared().initialize("demo");
    Lumeno::shared().updateSettings([&](LumenoSettings& settings) {
        settings.tenant = gateway.gatewayURL();
        settings.baseURL = gateway.baseURL();
    });
    std::cout << "Lumeno demo against the sandbox gateway " << Lumeno::shared().settings()->tenant << "\n";

    const std::string memberId = demo::showMember();
    demo::showOffers(memberId);
    demo::showActivity(memberId);
    demo::showCards(memberId);
    demo::showFamily(memberId);
    Lumeno::shutdown();  // before the sandbox gateway goes
    return 0;
}
