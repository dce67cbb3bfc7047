// Social sign-in, the Apple identity query, account links and their removal.
#include <mutex>
#include <set>

#include "sandbox/sandbox_gateway.hpp"

namespace lumeno::sandbox {

namespace {

// Ada's identities: the Facebook and Google ones are linked from the start, the Apple one once
// a link adds it.
constexpr std::string_view facebookId = "fb-1815";
constexpr std::string_view googleId = "g-1815";
constexpr std::string_view appleUid = "apple-1815";
constexpr std::string_view appleCode = "apple-code";

test::Reply notLinked() { return error(404, "social_account_not_found", "No member is linked to this account."); }

}  // namespace

void scriptSocial(SandboxGateway& gateway) {
    auto& server = gateway.server();
    auto linked = std::make_shared<std::pair<std::mutex, std::set<std::string>>>();
    linked->second = {"facebook", "google"};
    const auto isLinked = [linked](const std::string& network) {
        std::lock_guard lock(linked->first);
        return linked->second.contains(network);
    };

    // Sign-in: the identity must be Ada's and linked, and the network's token present.
    const auto signIn = [&gateway, isLinked](std::string network, std::string_view idKey, std::string_view id,
                                             std::string_view tokenKey) {
        return [&gateway, isLinked, network, idKey, id, tokenKey](const test::RecordedRequest& request) {
            const JsonObject identity = body(request);
            if (text(identity, idKey) != id || text(identity, tokenKey).empty() || !isLinked(network))
                return notLinked();
            return json(gateway.signIn());
        };
    };
    server.on("POST", path("/members/social/facebook/login/"),
              signIn("facebook", "facebook_id", facebookId, "access_token"));
    server.on("POST", path("/members/social/google/login/"), signIn("google", "google_id", googleId, "id_token"));
    server.on("POST", path("/members/social/apple/login/"), signIn("apple", "code", appleCode, "code"));

    server.on("POST", path("/members/apple-exists/"), [isLinked](const test::RecordedRequest& request) {
        return json(JsonObject{{"exists", text(body(request), "apple_uid") == appleUid && isLinked("apple")}});
    });

    // Links: the Facebook link renews the member's token, the others answer without one.
    const auto link = [&gateway, linked](std::string network, bool newToken) {
        return [&gateway, linked, network, newToken](const test::RecordedRequest&) {
            {
                std::lock_guard lock(linked->first);
                linked->second.insert(network);
            }
            JsonObject reply = gateway.signIn();
            if (!newToken) {
                reply.erase("token");
                reply.erase("expires_in");
            }
            return json(reply);
        };
    };
    gateway.onAuthorised("POST", "/members/social/facebook/link/", [link](const test::RecordedRequest& request) {
        if (text(body(request), "member_id") != SandboxGateway::memberId)
            return error(403, "permission_denied", "A member can only link their own account.");
        return link("facebook", true)(request);
    });
    gateway.onAuthorised("POST", "/members/social/google/link/", link("google", false));
    gateway.onAuthorised("POST", "/members/social/apple/link/", link("apple", false));

    for (std::string network : {"facebook", "google", "apple"}) {
        gateway.onAuthorised("POST", "/members/social/" + network + "/delink/",
                             [linked, network](const test::RecordedRequest&) {
                                 std::lock_guard lock(linked->first);
                                 const bool removed = linked->second.erase(network) > 0;
                                 return json(JsonObject{{"social_delink", removed}, {"logout", false}});
                             });
    }
}

}  // namespace lumeno::sandbox
