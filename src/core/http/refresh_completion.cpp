// The library's request hook: a request that carries an expired member token waits while a
// password session logs in again; one re-login serves every request that finds the token
// expired while it runs.

#include <mutex>
#include <vector>

#include "api/response_decoding.hpp"
#include "core/http/provider.hpp"
#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/main_queue.hpp"
#include "lumeno/models/member/member_response.hpp"

namespace lumeno::detail {
namespace {

using Proceed = std::function<void(HttpRequest)>;

struct HeldRequest {
    HttpRequest request;
    Proceed proceed;
};

/// The re-login in flight and the requests it holds.
struct Renewal {
    std::mutex mutex;
    bool running = false;
    std::vector<HeldRequest> held;

    static Renewal& shared() {
        static Renewal renewal;
        return renewal;
    }
};

struct StoredLogin {
    std::string user;
    std::string password;
};

/// The scheme word of the request's "Authorization" header; empty without one.
std::string_view authorizationScheme(const HttpRequest& request) {
    const auto value = request.headers.find("Authorization").value_or("");
    return value.substr(0, value.find(' '));
}

bool tokenHasExpired() {
    const auto expiry = CredentialsManager::shared().expiryDate();
    return expiry && *expiry <= std::chrono::system_clock::now();
}

/// The stored user and password of a password session.
std::optional<StoredLogin> storedPasswordLogin() {
    const KeychainWrapper& keychain = CredentialsManager::shared().keychain();
    if (keychain.integer(CredentialsManager::sessionTypeKey) != 0) return std::nullopt;
    auto user = keychain.string(CredentialsManager::userKey);
    auto password = keychain.string(CredentialsManager::sessionTypePasswordKey);
    if (!user || !password) return std::nullopt;
    return StoredLogin{std::move(*user), std::move(*password)};
}

/// Runs on the main queue when the re-login ends: stores the new credentials, tells the host,
/// and lets the held requests go, with the new token when there is one.
void reloggedIn(const StoredLogin& login, const ProviderResult& result) {
    // Read as the login call reads it, without a decoding context. A reply without a token
    // renews nothing: storing it would erase the token the held requests carry.
    const auto reply = decodeResponse<MemberResponse>(result, std::nullopt, Context::none);
    std::optional<std::string> token;
    std::vector<HeldRequest> held;
    {
        std::lock_guard lock(Renewal::shared().mutex);
        if (reply && reply->token) {
            CredentialsManager::shared().storeCredential(login.user, reply->token, reply->expiresIn,
                                                         CredentialsManager::SessionType::password(login.password));
            token = reply->token;
        }
        held.swap(Renewal::shared().held);
        Renewal::shared().running = false;
    }
    const Lumeno& lumeno = Lumeno::shared();
    if (token && lumeno.tokenDidRefreshCallback()) lumeno.tokenDidRefreshCallback()(*token);
    if (const int status = result ? result->statusCode : 0;
        (status == 401 || status == 403) && lumeno.didUnauthorisedRequestCallback())
        lumeno.didUnauthorisedRequestCallback()();
    for (auto& [request, proceed] : held) {
        if (token) request.headers.set("Authorization", std::string(authorizationScheme(request)) + " " + *token);
        proceed(std::move(request));
    }
}

}  // namespace

void refreshCompletion(HttpRequest request, Proceed proceed) {
    const auto scheme = authorizationScheme(request);
    if (!Lumeno::shared().tokenRefreshMandatory || (scheme != "JWT" && scheme != "Bearer"))
        return proceed(std::move(request));

    Renewal& renewal = Renewal::shared();
    std::optional<StoredLogin> login;
    bool unrenewable = false;
    {
        // Under the lock, so that a request either sees the renewed expiry or joins the renewal.
        std::lock_guard lock(renewal.mutex);
        const bool expired = tokenHasExpired();
        if (expired && renewal.running) {
            renewal.held.push_back({std::move(request), std::move(proceed)});
            return;
        }
        if (expired) login = storedPasswordLogin();
        if (login) {
            renewal.running = true;
            renewal.held.push_back({std::move(request), std::move(proceed)});
        }
        unrenewable = expired && !login;
    }
    if (login) {
        makeProvider().request(service::Login{login->user, login->password},
                               [login = *login](ProviderResult result) { reloggedIn(login, result); });
        return;
    }
    // A social session, or no stored password: not ours to renew, the host may do it.
    if (unrenewable && Lumeno::shared().tokenRefreshCallback())
        MainQueue::shared().post(Lumeno::shared().tokenRefreshCallback());
    proceed(std::move(request));
}

}  // namespace lumeno::detail
