// Checking the member, logging in, the stored session, the profile and balances.
#include <iomanip>

#include "demo/demo.hpp"
#include "sandbox/sandbox_gateway.hpp"

namespace lumeno::demo {

using sandbox::SandboxGateway;

namespace {

std::string fullName(const MemberDetails& member) {
    return member.firstName.value_or("") + " " + member.lastName.value_or("");
}

}  // namespace

std::string showMember() {
    const std::string user(SandboxGateway::username);
    auto status = await<MemberStatus>(
        [&](auto done) { LumenoRequest::getMemberStatus("email", user, done); });
    step() << std::boolalpha << user << " exists: " << orExit(status, "Status").exists
              << ", validated: " << status->validated << "\n";

    auto login = await<MemberResponse>(
        [&](auto done) { LumenoRequest::login(user, std::string(SandboxGateway::password), done); });
    const MemberResponse& session = orExit(login, "Login");
    step() << "Logged in as " << fullName(*session.member) << " (member " << session.member->id.value_or("?")
              << ")\n";

    const auto& credentials = CredentialsManager::shared();
    // The token is a secret: shown masked, as the network log shows it.
    step() << "Stored session: user " << credentials.keychain().string("user").value_or("-") << ", token "
              << (credentials.token() ? "***" : "-") << ", expiry " << credentials.expiryDateString().value_or("-")
              << "\n";

    // No token argument: the calls use the stored one.
    auto profile = await<MemberDetails>([&](auto done) { LumenoRequest::getMemberDetails(std::nullopt, done); });
    const MemberDetails& member = orExit(profile, "Profile");
    step() << "Profile: " << fullName(member) << " <" << member.email.value_or("-") << ">, status "
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
    step() << "Account 1: " << account.totalPoints << " points, " << account.availablePoints << " available, "
              << account.pendingPoints << " pending\n";

    auto refused = await<MemberResponse>([&](auto done) { LumenoRequest::login(user, "wrong password", done); });
    if (refused) {
        std::cerr << "A wrong password was accepted.\n";
        std::exit(1);
    }
    const auto code = refused.error().loginErrorCode();
    step() << "Wrong password refused: " << refused.error().message() << " (login error code "
              << (code ? rawValue(*code) : "none") << "); the stored session is kept: "
              << (credentials.token() == session.token ? "yes" : "no") << "\n";
    return memberId;
}

}  // namespace lumeno::demo
