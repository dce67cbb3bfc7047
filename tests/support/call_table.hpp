#pragma once

// An area's calls as one table: each row starts a call and names the request it must send.

#include <boost/json.hpp>

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
using Start = std::function<Handle(const Token&, std::function<void(Seen)>)>;

/// Erases a call's result type: `call(token, completion)` starts it.
template <class T, class Starter>
Start start(Starter call) {
    return [call](const Token& token, std::function<void(Seen)> done) {
        return call(token, [done](Result<T> result) { done(result ? Seen() : Seen(result.error())); });
    };
}

/// Which token a call sends.
enum class TokenRule {
    standard,  ///< the argument, else the stored token; with neither `invalidToken`, nothing sent
    none,      ///< no "Authorization", whatever is given or stored
    argument,  ///< the argument alone, never the stored token; without one it still sends
    otp,       ///< the call's own one-time-password token "otp", whatever is given or stored
};

struct CallRow {
    const char* name;
    Start start;
    const char* method;
    std::string path;  ///< as sent, percent-escapes kept
    Query query{};
    const char* body = nullptr;  ///< JSON; nullptr: no body
    Reply reply = Reply::json("[]");
    TokenRule rule = TokenRule::standard;
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

    /// Each row succeeds against its reply and sends its request, with a token argument, the
    /// stored token, an empty argument and neither, and carries the "Authorization" its rule
    /// gives (none for an empty token). A standard row with neither token fails with
    /// `invalidToken` before returning nullptr, and nothing is sent.
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
