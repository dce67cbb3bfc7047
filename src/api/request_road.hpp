#pragma once

// The frame every call runs through: token, a new provider, one service case, the handle.

#include <functional>
#include <optional>
#include <string>

#include "core/http/provider.hpp"
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

}  // namespace lumeno::detail
