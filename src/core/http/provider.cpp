#include "core/http/provider.hpp"

#include <mutex>
#include <optional>

#include "core/http/network_logger.hpp"
#include "core/http/session.hpp"
#include "core/shutdown.hpp"
#include "lumeno/core/main_queue.hpp"

namespace lumeno::detail {
namespace {

/// One request of a provider, from its case to its one completion. The first outcome wins:
/// the reply or transport failure from the session, a refusal, or a cancel.
class Call final : public Cancellable {
public:
    /// `settings`: the snapshot the request was built under; null for a call refused unsent.
    Call(ProviderCompletion&& completion, std::shared_ptr<const LumenoSettings> settings)
        : completion_(std::move(completion)), settings_(std::move(settings)) {}

    /// Hands the request, as the hook let it go, to the session; `self` owns this call, and the
    /// transfer's completion keeps it.
    void send(HttpRequest&& request, std::shared_ptr<Call> self) {
        {
            std::lock_guard lock(mutex_);
            if (finished_) return;  // cancelled while the hook held it
            if (settings_->apiLogsEnabled) logOutcomeFirst(request);
        }
        if (settings_->apiLogsEnabled) logRequest(request);
        // Outside the lock: after a shutdown the session fails the transfer on this thread.
        const TransferId transfer =
            startTransfer(std::move(request), settings_->baseURL,
                          [self = std::move(self)](ProviderResult&& result) { self->finish(std::move(result)); });
        std::lock_guard lock(mutex_);
        transfer_ = transfer;
        if (cancelled_) cancelTransfer(transfer);  // cancelled while the transfer started
    }

    void finish(ProviderResult&& result) {
        {
            std::lock_guard lock(mutex_);
            if (finished_) return;
            finished_ = true;
        }
        deliver(std::move(result));
    }

    void cancel() override {
        if (hasShutDown()) return;  // the shutdown dropped this call: its completion never runs
        TransferId transfer = noTransfer;
        {
            std::lock_guard lock(mutex_);
            if (finished_) return;
            finished_ = cancelled_ = true;
            transfer = transfer_;
        }
        if (transfer != noTransfer) cancelTransfer(transfer);
        deliver(fail(LumenoError::underlying("Request explicitly cancelled.", std::nullopt,
                                             LumenoError::TransportFailure::cancelled)));
    }

    [[nodiscard]] bool isCancelled() const override {
        std::lock_guard lock(mutex_);
        return cancelled_;
    }

private:
    /// Has the completion log the outcome of `request`, which leaves, before it runs: on the
    /// main queue, never on the I/O thread, where the log sink must not run. Called with the
    /// lock held.
    [[gnu::cold]] void logOutcomeFirst(const HttpRequest& request) {
        completion_ = [completion = std::move(completion_), method = request.method,
                       url = request.url](ProviderResult&& result) mutable {
            logOutcome(method, url, result);
            completion(std::move(result));
        };
    }

    /// The completion with the outcome that won, as the main queue runs it.
    struct Delivery {
        ProviderCompletion completion;
        ProviderResult result;

        void operator()() { completion(std::move(result)); }
    };

    /// Runs once, for the outcome that won. The task is built where the queue keeps it.
    void deliver(ProviderResult&& result) {
        MainQueue::shared().post(
            std::move_only_function<void()>(std::in_place_type<Delivery>, std::move(completion_), std::move(result)));
    }

    /// No transfer started yet (the session numbers its transfers from 1).
    static constexpr TransferId noTransfer = 0;

    mutable std::mutex mutex_;
    bool finished_ = false;
    bool cancelled_ = false;
    TransferId transfer_ = noTransfer;
    ProviderCompletion completion_;
    std::shared_ptr<const LumenoSettings> settings_;
};

}  // namespace

Provider::Provider(RequestHook hook) : hook_(hook) {}

std::shared_ptr<Cancellable> Provider::request(const LumenoService& service, ProviderCompletion&& completion) const {
    auto settings = Lumeno::shared().settings();
    const LumenoSettings& snapshot = *settings;  // the call keeps it
    auto request = endpoint(service, snapshot);
    if (!request) return refuse(std::move(request.error()), std::move(completion));
    auto call = std::make_shared<Call>(std::move(completion), std::move(settings));
    // The hook lets the request go once: the call's owner moves on to the transfer.
    hook_(std::move(*request), snapshot, [call](HttpRequest&& ready) mutable {
        Call& sending = *call;
        sending.send(std::move(ready), std::move(call));
    });
    return call;
}

std::shared_ptr<Cancellable> Provider::refuse(LumenoError error, ProviderCompletion&& completion) const {
    auto call = std::make_shared<Call>(std::move(completion), nullptr);
    call->finish(fail(std::move(error)));
    return call;
}

}  // namespace lumeno::detail
