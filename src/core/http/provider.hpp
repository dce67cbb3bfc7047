#pragma once

#include <functional>
#include <memory>

#include "core/service/http_request.hpp"
#include "core/service/lumeno_service.hpp"
#include "lumeno/core/cancellable.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/result.hpp"

namespace lumeno::detail {

/// What a provider delivers: the reply, whatever its status, or a transport failure
/// (`underlying`, `requestMapping`).
using ProviderResult = Result<Response>;
using ProviderCompletion = std::move_only_function<void(ProviderResult&&)>;

/// Lets a request go on, possibly later and from another thread.
using Proceed = std::move_only_function<void(HttpRequest&&)>;

/// Looks at a request, built under `settings`, before it leaves; calls `proceed` exactly once
/// with the request to send.
using RequestHook = void (*)(HttpRequest&& request, const LumenoSettings& settings, Proceed&& proceed);

/// Sends service cases through the one pinned session and delivers each outcome on the main queue.
class Provider {
public:
    explicit Provider(RequestHook hook);

    /// Builds the case's request from one snapshot of the settings, runs the hook, sends it.
    /// The completion runs once on `MainQueue`; a case that cannot become a request fails there
    /// with `requestMapping`. When API logging is on, the request and its outcome are logged,
    /// the outcome on the main queue.
    std::shared_ptr<Cancellable> request(const LumenoService& service, ProviderCompletion&& completion) const;

    /// Sends nothing: the completion runs once on `MainQueue` with `error`. The handle is
    /// already finished, so cancelling it does nothing.
    std::shared_ptr<Cancellable> refuse(LumenoError error, ProviderCompletion&& completion) const;

private:
    RequestHook hook_;
};

}  // namespace lumeno::detail
