// The library's provider: the shared session behind the re-login hook. A request that carries an
// expired member token waits while a password session logs in again; one re-login serves every
// request that finds the token expired while it runs.

#include "api/library_provider.hpp"

#include <mutex>
#include <vector>

#include "api/response_decoding.hpp"
#include "core/shutdown.hpp"
#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/main_queue.hpp"
#include "lumeno/models/member/member_response.hpp"

namespace lumeno::detail {
namespace {

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

private:
    Renewal() { onShutdown(ShutdownStep::heldRequests, [this] { dropHeld(); }); }

    /// The held requests' completions never run.
    void dropHeld() {
        std::vector<HeldRequest> dropped;
        std::lock_guard lock(mutex);
        dropped.swap(held);
        running = false;
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

/// Whether the stored token has expired and, for a password session, its user and password.
struct ExpiredSession {
    bool expired = false;
    std::optional<StoredLogin> login;  ///< of an expired password session
};

/// Reads the stored session in one snapshot: a login finishing meanwhile cannot pair one
/// member's name with another's password.
ExpiredSession storedSession() {
    auto session = CredentialsManager::shared().session();
    ExpiredSession result;
    result.expired = session.expiry && *session.expiry <= std::chrono::system_clock::now();
    if (result.expired && session.sessionType == 0 && session.user && session.password)
        result.login = StoredLogin{std::move(*session.user), std::move(*session.password)};
    return result;
}

/// Runs on the main queue when the re-login ends: stores the new credentials, lets the held
/// requests go (with the new token when there is one), then tells the host in tasks of their
/// own, so that a callback that throws cannot hold up a request.
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
    for (auto& [request, proceed] : held) {
        if (token) request.headers.set("Authorization", std::string(authorizationScheme(request)) + " " + *token);
        proceed(std::move(request));
    }
    const Lumeno& lumeno = Lumeno::shared();
    if (auto refreshed = lumeno.tokenDidRefreshCallback(); token && refreshed)
        MainQueue::shared().post([refreshed = std::move(refreshed), token = *token] { refreshed(token); });
    if (auto unauthorised = lumeno.didUnauthorisedRequestCallback();
        unauthorised && result && (result->statusCode == 401 || result->statusCode == 403))
        MainQueue::shared().post(std::move(unauthorised));
}

/// The request hook: renews an expired password session before the request leaves.
void refreshCompletion(HttpRequest&& request, const LumenoSettings& settings, Proceed&& proceed) {
    if (!settings.tokenRefreshMandatory) return proceed(std::move(request));
    if (const auto scheme = authorizationScheme(request); scheme != "JWT" && scheme != "Bearer")
        return proceed(std::move(request));

    Renewal& renewal = Renewal::shared();
    ExpiredSession session;
    {
        // Under the lock, so that a request either sees the renewed expiry or joins the renewal.
        std::lock_guard lock(renewal.mutex);
        session = storedSession();
        if (session.expired && (renewal.running || session.login)) {
            renewal.held.push_back({std::move(request), std::move(proceed)});
            if (renewal.running) return;
            renewal.running = true;
        }
    }
    if (session.login) {
        libraryProvider().request(service::Login{session.login->user, session.login->password},
                                  [login = *session.login](ProviderResult&& result) { reloggedIn(login, result); });
        return;
    }
    // A social session, or no stored password: not ours to renew, the host may do it.
    if (auto refresh = Lumeno::shared().tokenRefreshCallback(); session.expired && refresh)
        MainQueue::shared().post(std::move(refresh));
    proceed(std::move(request));
}

}  // namespace

const Provider& libraryProvider() {
    static const Provider provider(refreshCompletion);
    return provider;
}

}  // namespace lumeno::detail
