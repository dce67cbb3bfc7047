#pragma once

// The frame every call runs through: token, a new provider, one service case, the handle.

#include <functional>
#include <optional>
#include <string>

#include <type_traits>
#include <utility>

#include "api/library_provider.hpp"
#include "api/response_decoding.hpp"
#include "lumeno/api/lumeno_request.hpp"

namespace lumeno::detail {

/// Sends one case through a new provider; the handler sees the outcome once, on the main queue.
Handle send(const LumenoService& service, ProviderCompletion handler);

/// The road of a call that takes a token: the argument when given, else the stored "token".
/// Without either, the handler sees `invalidToken` at once, on the caller's thread, and
/// nothing is sent (nullptr). Every handler passes a provider failure through unchanged.
Handle sendTokenRequest(const Token& token, ProviderCompletion handler,
                        const std::function<LumenoService(std::string token)>& makeCase);

/// The parameters-and-page-size body: once the token is resolved, "page_size" is set to
/// `pageSize` in the parameters, replacing any value the caller put there.
Handle sendTokenRequest(const Token& token, JsonObject parameters, std::int64_t pageSize, ProviderCompletion handler,
                        const std::function<LumenoService(JsonObject parameters, std::string token)>& makeCase);

/// As `sendTokenRequest`, but the argument alone counts: the stored token is never read.
Handle sendWithTokenArgument(const Token& token, ProviderCompletion handler,
                             const std::function<LumenoService(std::string token)>& makeCase);

/// The road of a call with a request body: as `sendTokenRequest`, and once the token is
/// resolved a body that could not be encoded is refused, its `encodableMapping` going to the
/// handler on the main queue with nothing sent.
Handle sendTokenRequest(const Token& token, Result<JsonValue> body, ProviderCompletion handler,
                        const std::function<LumenoService(JsonValue body, std::string token)>& makeCase);

template <class T> struct IsPage : std::false_type {};
template <class T> struct IsPage<PaginatedResponse<std::vector<T>>> : std::true_type { using Element = T; };

/// Where a reply's value sits and whether it decodes under a fresh context.
struct Decoding {
    std::optional<std::string_view> keyPath = std::nullopt;
    Context context = Context::fresh;
};

/// The handler a completion's type calls for: status only for `void`, a page with its cursors
/// for `PaginatedResponse`, otherwise one value (a record or a plain list).
template <class T>
ProviderCompletion handlerFor(Completion<T> completion, Decoding how = {}) {
    if constexpr (std::is_void_v<T>) return handleEmptyResponse(std::move(completion));
    else if constexpr (IsPage<T>::value)
        return handlePageResponse<typename IsPage<T>::Element>(std::move(completion), how.keyPath);
    else return handleObjectResponse<T>(std::move(completion), how.keyPath, how.context);
}

/// A call with a token and a reply handler of its own: `Case{args..., token}` is sent.
template <class Case, class... Args>
Handle tokenCallWith(const Token& token, ProviderCompletion handler, Args&&... args) {
    return sendTokenRequest(token, std::move(handler), [&](std::string resolved) {
        return LumenoService(Case{std::forward<Args>(args)..., std::move(resolved)});
    });
}

/// A call with a token: `Case{args..., token}` is sent and the reply decodes as `T`, `how` says
/// where.
template <class Case, class T, class... Args>
Handle tokenCallAt(Decoding how, const Token& token, Completion<T> completion, Args&&... args) {
    return tokenCallWith<Case>(token, handlerFor<T>(std::move(completion), how), std::forward<Args>(args)...);
}

template <class Case, class T, class... Args>
Handle tokenCall(const Token& token, Completion<T> completion, Args&&... args) {
    return tokenCallAt<Case>({}, token, std::move(completion), std::forward<Args>(args)...);
}

/// A call with a token and a request body: `Case{body, token}` is sent and the reply decodes as `T`.
template <class Case, class T>
Handle bodyCall(const Token& token, Result<JsonValue> body, Completion<T> completion) {
    return sendTokenRequest(token, std::move(body), handlerFor<T>(std::move(completion)),
                            [](JsonValue request, std::string resolved) {
                                return LumenoService(Case{std::move(request), std::move(resolved)});
                            });
}

/// A call without a token: `Case{args...}` is sent and the reply decodes as `T`.
template <class Case, class T, class... Args>
Handle call(Completion<T> completion, Args&&... args) {
    return send(Case{std::forward<Args>(args)...}, handlerFor<T>(std::move(completion)));
}

}  // namespace lumeno::detail
