#pragma once

#include <functional>
#include <memory>

#include "core/service/http_request.hpp"
#include "core/service/lumeno_service.hpp"
#include "lumeno/core/cancellable.hpp"
#include "lumeno/core/result.hpp"

namespace lumeno::detail {

/// What a provider delivers: the reply, whatever its status, or a transport failure
/// (`underlying`, `requestMapping`).
using ProviderResult = Result<Response>;
using ProviderCompletion = std::move_only_function<void(ProviderResult)>;

/// Looks at a request before it leaves; calls `proceed` exactly once, possibly later and
/// from another thread, with the request to send.
using RequestHook = std::function<void(HttpRequest request, std::function<void(HttpRequest)> proceed)>;

/// Sends service cases through the one pinned session and delivers each outcome on the main queue.
class Provider {
public:
    Provider(RequestHook hook, bool logging);

    /// Builds the case's request, runs the hook, sends it. The completion runs once on
    /// `MainQueue`; a case that cannot become a request fails there with `requestMapping`.
    std::shared_ptr<Cancellable> request(const LumenoService& service, ProviderCompletion completion) const;

    /// Sends nothing: the completion runs once on `MainQueue` with `error`. The handle is
    /// already finished, so cancelling it does nothing.
    std::shared_ptr<Cancellable> refuse(LumenoError error, ProviderCompletion completion) const;

private:
    RequestHook hook_;
    bool logging_;
};

/// A new provider over the shared session, with the library's request hook and, when API
/// logging is on, the network logger.
Provider makeProvider();

/// The library's request hook: renews an expired password session before the request leaves.
void refreshCompletion(HttpRequest request, std::function<void(HttpRequest)> proceed);

}  // namespace lumeno::detail
