#include "core/http/provider.hpp"

#include <mutex>
#include <optional>

#include "core/http/network_logger.hpp"
#include "core/http/session.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/main_queue.hpp"

namespace lumeno::detail {
namespace {

/// One request of a provider, from its case to its one completion. The first outcome wins:
/// the reply or transport failure from the session, a refusal, or a cancel.
class Call final : public Cancellable, public std::enable_shared_from_this<Call> {
public:
    Call(ProviderCompletion completion, bool logging) : completion_(std::move(completion)), logging_(logging) {}

    /// Hands the request, as the hook let it go, to the session.
    void send(HttpRequest request) {
        std::lock_guard lock(mutex_);
        if (finished_) return;  // cancelled while the hook held it
        if (logging_) logRequest(request);
        method_ = request.method;
        url_ = request.url;
        transfer_ = startTransfer(std::move(request),
                                  [self = shared_from_this()](ProviderResult result) { self->finish(std::move(result)); });
    }

    void finish(ProviderResult result) {
        {
            std::lock_guard lock(mutex_);
            if (finished_) return;
            finished_ = true;
        }
        deliver(std::move(result));
    }

    void cancel() override {
        std::optional<TransferId> transfer;
        {
            std::lock_guard lock(mutex_);
            if (finished_) return;
            finished_ = cancelled_ = true;
            transfer = transfer_;
        }
        if (transfer) cancelTransfer(*transfer);
        deliver(fail(LumenoError::underlying("Request explicitly cancelled.")));
    }

    [[nodiscard]] bool isCancelled() const override {
        std::lock_guard lock(mutex_);
        return cancelled_;
    }

private:
    /// Runs once, for the outcome that won; logs it when a request was sent.
    void deliver(ProviderResult result) {
        if (logging_ && transfer_) logOutcome(method_, url_, result);
        MainQueue::shared().post([completion = std::move(completion_), result = std::move(result)]() mutable {
            completion(std::move(result));
        });
    }

    mutable std::mutex mutex_;
    bool finished_ = false;
    bool cancelled_ = false;
    std::optional<TransferId> transfer_;
    ProviderCompletion completion_;
    bool logging_;
    HttpMethod method_ = HttpMethod::get;
    std::string url_;
};

}  // namespace

Provider::Provider(RequestHook hook, bool logging) : hook_(std::move(hook)), logging_(logging) {}

std::shared_ptr<Cancellable> Provider::request(const LumenoService& service, ProviderCompletion completion) const {
    auto request = endpoint(service);
    if (!request) return refuse(std::move(request.error()), std::move(completion));
    MainQueue::shared();  // exists before the session, so it outlives the session's thread
    auto call = std::make_shared<Call>(std::move(completion), logging_);
    if (!hook_) {
        call->send(std::move(*request));
        return call;
    }
    hook_(std::move(*request), [call](HttpRequest ready) { call->send(std::move(ready)); });
    return call;
}

std::shared_ptr<Cancellable> Provider::refuse(LumenoError error, ProviderCompletion completion) const {
    auto call = std::make_shared<Call>(std::move(completion), logging_);
    call->finish(fail(std::move(error)));
    return call;
}

Provider makeProvider() { return Provider(refreshCompletion, Lumeno::shared().apiLogsEnabled); }

}  // namespace lumeno::detail
