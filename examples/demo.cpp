// The library's main road against the sandbox gateway: initialise, check the member, log in,
// look at the stored session, fetch the profile and balances, and see a refused login.
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <optional>

#include "lumeno/lumeno.hpp"
#include "sandbox/sandbox_gateway.hpp"

using namespace lumeno;
using sandbox::SandboxGateway;

namespace {

/// Runs one call and pumps the main queue until its completion has run.
template <class T, class Call>
Result<T> await(Call call) {
    std::optional<Result<T>> result;
    call([&](Result<T> r) { result = std::move(r); });
    if (!MainQueue::shared().runUntil([&] { return result.has_value(); }, std::chrono::seconds(10))) {
        std::cerr << "No reply within 10 seconds.\n";
        std::exit(1);
    }
    return std::move(*result);
}

template <class T>
const T& orExit(const Result<T>& result, std::string_view what) {
    if (!result) {
        std::cerr << what << " failed: " << result.error().description() << "\n";
        std::exit(1);
    }
    return *result;
}

std::string fullName(const MemberDetails& member) {
    return member.firstName.value_or("") + " " + member.lastName.value_or("");
}

}  // namespace

int main() {
    SandboxGateway gateway;

    // The configuration comes from demo.plist next to the executable; the sandbox listens on a
    // port chosen when it starts, so the gateway URL is pointed at it afterwards.
    Lumeno::shared().initialize("demo");
    Lumeno::shared().updateSettings([&](LumenoSettings& settings) {
        settings.tenant = gateway.gatewayURL();
        settings.baseURL = gateway.baseURL();
    });
    std::cout << "Lumeno demo against the sandbox gateway " << Lumeno::shared().settings()->tenant << "\n";

    const std::string user(SandboxGateway::username);
    auto status = await<MemberStatus>(
        [&](auto done) { LumenoRequest::getMemberStatus("email", user, done); });
    std::cout << std::boolalpha << "1. " << user << " exists: " << orExit(status, "Status").exists
              << ", validated: " << status->validated << "\n";

    auto login = await<MemberResponse>(
        [&](auto done) { LumenoRequest::login(user, std::string(SandboxGateway::password), done); });
    const MemberResponse& session = orExit(login, "Login");
    std::cout << "2. Logged in as " << fullName(*session.member) << " (member " << session.member->id.value_or("?")
              << ")\n";

    const auto& credentials = CredentialsManager::shared();
    std::cout << "3. Stored session: user " << credentials.keychain().string("user").value_or("-") << ", token "
              << credentials.token().value_or("-") << ", expiry " << credentials.expiryDateString().value_or("-")
              << "\n";

    // No token argument: the calls use the stored one.
    auto profile = await<MemberDetails>([&](auto done) { LumenoRequest::getMemberDetails(std::nullopt, done); });
    const MemberDetails& member = orExit(profile, "Profile");
    std::cout << "4. Profile: " << fullName(member) << " <" << member.email.value_or("-") << ">, status "
              << member.status.value_or("-") << ", " << member.favoriteSponsors.size() << " favourite sponsor(s)\n";

    const std::string memberId = member.id.value_or("");
    auto balances = await<std::vector<MemberBalance>>(
        [&](auto done) { LumenoRequest::getMemberBalances(std::nullopt, memberId, done); });
    for (const auto& balance : orExit(balances, "Balances"))
        std::cout << "   balance " << std::setw(8) << balance.balance << " " << balance.loyaltyAccount.value_or("?")
                  << "\n";

    auto points = await<PendingPointBalance>(
        [&](auto done) { LumenoRequest::getPointBalance(std::nullopt, memberId, 1, done); });
    const auto& account = orExit(points, "Point balance");
    std::cout << "5. Account 1: " << account.totalPoints << " points, " << account.availablePoints << " available, "
              << account.pendingPoints << " pending\n";

    auto refused = await<MemberResponse>([&](auto done) { LumenoRequest::login(user, "wrong password", done); });
    if (refused) {
        std::cerr << "A wrong password was accepted.\n";
        return 1;
    }
    const auto code = refused.error().loginErrorCode();
    std::cout << "6. Wrong password refused: " << refused.error().message() << " (login error code "
              << (code ? rawValue(*code) : "none") << "); the stored session is kept: "
              << (credentials.token() == session.token ? "yes" : "no") << "\n";
    Lumeno::shutdown();  // before the sandbox gateway goes
    return 0;
}
