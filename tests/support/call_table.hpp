#pragma once

// An area's calls as one table: each row starts a call and names the request it must send.

#include <boost/json.hpp>

#include <concepts>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/call_test.hpp"
#include "support/recording_store.hpp"

namespace lumeno::test {

/// A URL query as `parsedQuery` gives it.
using Query = std::multimap<std::string, std::string>;

/// What a completion saw: nothing for a value, else the failure.
using Seen = std::optional<LumenoError>;

/// A completion for any result type that hands on only what `Seen` keeps.
struct Done {
    template <std::invocable<Seen> F>
    Done(F f) : report(std::move(f)) {}

    template <class T>
    void operator()(Result<T> result) const {
        report(result ? Seen() : Seen(result.error()));
    }

    std::function<void(Seen)> report;
};

/// Starts a call with a token and a completion, e.g. `[](auto& t, auto d) { return R::getOffer(t, 12, d); }`.
using Start = std::function<Handle(const Token&, Done)>;

/// Which token a call sends.
enum class TokenRule {
    standard,          ///< the argument, else the stored token; with neither `invalidToken`, nothing sent
    none,              ///< no "Authorization", whatever is given or stored
    argument,          ///< the argument alone, never the stored token; without one it still sends
    argumentRequired,  ///< the argument alone, never the stored token; without one `invalidToken`, nothing sent
    otp,               ///< the call's own one-time-password token "otp", whatever is given or stored
};

/// One call and the request it must send.
struct CallRow {
    const char* name;
    Start start;
    const char* method;
    std::string path;  ///< as sent, percent-escapes kept
    Query query{};
    const char* body = nullptr;  ///< JSON; nullptr: no body
    Reply reply = Reply::json("[]");
    TokenRule rule = TokenRule::standard;
    /// Checks what differs from request to request and takes it out of the sent body before it is compared.
    std::function<void(JsonValue& body)> varying = {};
};

/// The session stored before a call.
enum class Session { none, password, social };

class CallTableTest : public CallTest {
protected:
    /// The credential store records its changes (see `writes`).
    void SetUp() override {
        CallTest::SetUp();
        KeychainWrapper::setSecretStore(recording);
    }

    /// Each row is started with a token argument, the stored token, an empty argument and
    /// neither. Where its rule gives a token (or none), the call returns a handle, its completion
    /// runs on the main queue after the call returned and sees success, and the one request sent
    /// is the row's: method, path, query, JSON body with "Content-Type: application/json" (no body,
    /// no type), "x-api-key" and the "Authorization" of its rule (none for an empty token).
    /// Where its rule needs a token and has none, the completion sees `invalidToken` before the
    /// call returns nullptr, and nothing is sent. Every completion runs exactly once, on the main
    /// queue (this thread).
    void checkEachCall(const std::vector<CallRow>& rows);

    /// Replaces the stored items with `session` ("old@example.com", "old-token", "pw0").
    static void storeSession(Session session);
    /// The store's changes since the last call, in order; "set expiry" without its value.
    std::vector<std::string> writes();
    /// Runs `start` with the token "given" from `session` against `reply` and returns the
    /// store's changes; checks that the completion already saw the items as they end up.
    std::vector<std::string> writesOf(const Start& start, Reply reply, Session session);

    std::shared_ptr<RecordingStore> recording = std::make_shared<RecordingStore>();
};

}  // namespace lumeno::test
