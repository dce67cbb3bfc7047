#pragma once

namespace lumeno {

/// A request in flight. Cancelling abandons it: its completion then runs once, with an
/// `underlying` failure, unless another outcome was delivered first.
class Cancellable {
public:
    virtual ~Cancellable() = default;
    /// Abandons the request; does nothing once its outcome was delivered, or after shutdown.
    virtual void cancel() = 0;
    /// Whether a `cancel` abandoned the request (false when its outcome came first).
    [[nodiscard]] virtual bool isCancelled() const = 0;
};

}  // namespace lumeno
