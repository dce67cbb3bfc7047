#include "api/request_road.hpp"

#include "lumeno/core/credentials_manager.hpp"

namespace lumeno::detail {

namespace {

/// The token argument when given, else the stored "token" item.
Token argumentOrStored(const Token& token) { return token ? token : CredentialsManager::shared().token(); }

}  // namespace

Handle send(const LumenoService& service, ProviderCompletion handler) {
    return makeProvider().request(service, std::move(handler));
}

Handle sendWithTokenArgument(const Token& token, ProviderCompletion handler,
                             const std::function<LumenoService(std::string token)>& makeCase) {
    if (!token) {
        handler(std::unexpected(LumenoError::invalidToken()));
        return nullptr;
    }
    return send(makeCase(*token), std::move(handler));
}

Handle sendTokenRequest(const Token& token, ProviderCompletion handler,
                        const std::function<LumenoService(std::string token)>& makeCase) {
    return sendWithTokenArgument(argumentOrStored(token), std::move(handler), makeCase);
}

Handle sendTokenRequest(const Token& token, JsonObject parameters, std::int64_t pageSize, ProviderCompletion handler,
                        const std::function<LumenoService(JsonObject parameters, std::string token)>& makeCase) {
    return sendTokenRequest(token, std::move(handler), [&](std::string resolved) {
        parameters["page_size"] = pageSize;
        return makeCase(std::move(parameters), std::move(resolved));
    });
}

Handle sendTokenRequest(const Token& token, Result<JsonValue> body, ProviderCompletion handler,
                        const std::function<LumenoService(JsonValue body, std::string token)>& makeCase) {
    const Token resolved = argumentOrStored(token);
    if (resolved && !body) return makeProvider().refuse(std::move(body.error()), std::move(handler));
    return sendWithTokenArgument(resolved, std::move(handler),
                                 [&](std::string t) { return makeCase(std::move(*body), std::move(t)); });
}

}  // namespace lumeno::detail
