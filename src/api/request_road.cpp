#include "api/request_road.hpp"

#include "lumeno/core/credentials_manager.hpp"

namespace lumeno::detail {

namespace {

/// The token the call goes with: the argument when given, else (unless the argument alone
/// counts) the stored "token" item.
Token resolve(const TokenArgument& token) {
    return token.token || !token.orStored ? token.token : CredentialsManager::shared().token();
}

}  // namespace

Handle travel(const TokenArgument* token, LumenoError* refused, ProviderCompletion&& handler, CaseMaker makeCase) {
    std::string resolved;
    if (token) {
        auto found = resolve(*token);
        if (!found) {
            handler(std::unexpected(LumenoError::invalidToken()));
            return nullptr;
        }
        resolved = std::move(*found);
    }
    if (refused) return libraryProvider().refuse(std::move(*refused), std::move(handler));
    return libraryProvider().request(makeCase(std::move(resolved)), std::move(handler));
}

JsonObject withValues(JsonObject parameters, const JsonObject& values) {
    for (const auto& [key, value] : values) parameters[key] = value;
    return parameters;
}

}  // namespace lumeno::detail
