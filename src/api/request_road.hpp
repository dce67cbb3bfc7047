#pragma once

// The road every call takes: its token, one service case, a new provider, the handle. A call
// names its case and its reply type; the templates below build the case once the token is known.

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "api/library_provider.hpp"
#include "api/response_decoding.hpp"
#include "lumeno/api/lumeno_request.hpp"

namespace lumeno::detail {

/// A call's token argument and its rule: when it is absent the stored "token" stands in, except
/// for `argumentOnly`. Without either, the handler sees `invalidToken` at once, on the caller's
/// thread, and nothing is sent (nullptr).
struct TokenArgument {
    TokenArgument(const Token& token) : token(token) {}

    const Token& token;
    bool orStored = true;
};

/// The token argument alone: the stored "token" is never read.
inline TokenArgument argumentOnly(const Token& token) {
    TokenArgument argument(token);
    argument.orStored = false;
    return argument;
}

/// Builds a call's case from the resolved token ("" for a call without one). Borrows the
/// callable, which must outlive the road's run.
class CaseMaker {
public:
    template <class F>
    CaseMaker(const F& make)
        : make_(std::addressof(make)),
          call_([](const void* f, std::string token) { return (*static_cast<const F*>(f))(std::move(token)); }) {}

    LumenoService operator()(std::string token) const { return call_(make_, std::move(token)); }

private:
    const void* make_;
    LumenoService (*call_)(const void*, std::string);
};

/// What the templates below run: resolves `token` (nullptr: the call takes none), refuses a body
/// that could not be encoded (`refused`: its `encodableMapping`, handed to the handler on the main
/// queue with nothing sent), else sends the case. Every handler passes a provider failure through
/// unchanged.
Handle travel(const TokenArgument* token, LumenoError* refused, ProviderCompletion&& handler, CaseMaker makeCase);

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

/// A call without a token and with a reply handler of its own: `Case{args...}` is sent.
template <class Case, class... Args>
Handle callWith(ProviderCompletion handler, Args&&... args) {
    return travel(nullptr, nullptr, std::move(handler),
                  [&](std::string) { return LumenoService(Case{std::forward<Args>(args)...}); });
}

/// A call without a token: `Case{args...}` is sent and the reply decodes as `T`.
template <class Case, class T, class... Args>
Handle call(Completion<T> completion, Args&&... args) {
    return callWith<Case>(handlerFor<T>(std::move(completion)), std::forward<Args>(args)...);
}

/// A call with a token and a reply handler of its own: `Case{args..., token}` is sent.
template <class Case, class... Args>
Handle tokenCallWith(TokenArgument token, ProviderCompletion handler, Args&&... args) {
    return travel(&token, nullptr, std::move(handler), [&](std::string resolved) {
        return LumenoService(Case{std::forward<Args>(args)..., std::move(resolved)});
    });
}

/// A call with a token: `Case{args..., token}` is sent and the reply decodes as `T`, `how` says
/// where.
template <class Case, class T, class... Args>
Handle tokenCallAt(Decoding how, TokenArgument token, Completion<T> completion, Args&&... args) {
    return tokenCallWith<Case>(token, handlerFor<T>(std::move(completion), how), std::forward<Args>(args)...);
}

template <class Case, class T, class... Args>
Handle tokenCall(TokenArgument token, Completion<T> completion, Args&&... args) {
    return tokenCallAt<Case>({}, token, std::move(completion), std::forward<Args>(args)...);
}

/// A call with a token and a request body and a reply handler of its own:
/// `Case{leading..., body, token}` is sent. Once the token is resolved a body that could not be
/// encoded is refused.
template <class Case, class... Leading>
Handle bodyCallWith(TokenArgument token, Result<JsonValue> body, ProviderCompletion handler, Leading&&... leading) {
    return travel(&token, body ? nullptr : &body.error(), std::move(handler), [&](std::string resolved) {
        return LumenoService(Case{std::forward<Leading>(leading)..., std::move(*body), std::move(resolved)});
    });
}

/// A call with a token and a request body: as `bodyCallWith`, the reply decoding as `T`.
template <class Case, class T, class... Leading>
Handle bodyCall(TokenArgument token, Result<JsonValue> body, Completion<T> completion, Leading&&... leading) {
    return bodyCallWith<Case>(token, std::move(body), handlerFor<T>(std::move(completion)),
                              std::forward<Leading>(leading)...);
}

/// The caller's copy of a call's parameters with `values` set in their order, each replacing
/// what the caller put under its key.
JsonObject withValues(JsonObject parameters, const JsonObject& values);

}  // namespace lumeno::detail
