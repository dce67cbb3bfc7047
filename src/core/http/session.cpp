// The session's I/O loop: one libcurl multi handle driven through its socket interface. Whoever
// holds the multi's lock drives it: a caller starting a transfer adds it and sends at once on
// its own thread; the I/O thread waits in epoll_wait for the sockets libcurl watches and for
// libcurl's own timer (a timerfd), and drives only when one of them fires.

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "core/http/transfer.hpp"
#include "core/resources.hpp"
#include "core/shutdown.hpp"
#include "lumeno/core/main_queue.hpp"

namespace lumeno::detail {
namespace {

using Failure = LumenoError::TransportFailure;

/// What transfers started from now on take; tests change it.
struct Settings {
    std::mutex mutex;
    TransportTimeouts timeouts;
    std::shared_ptr<const std::string> roots;  ///< null until first needed: the embedded roots
    std::atomic<bool> guardConnections{false};

    static Settings& shared() {
        static Settings settings;
        return settings;
    }
};

class Session {
public:
    static Session& shared() {
        static Session session;
        return session;
    }

    TransferId start(std::unique_ptr<Transfer> transfer) {
        const TransferId id = transfer->id = nextId_++;
        std::unique_lock lock(mutex_);
        if (stopping_) {
            lock.unlock();
            transfer->done(fail(LumenoError::underlying("The library has shut down.", std::nullopt, Failure::cancelled)));
            return id;
        }
        begin(std::move(transfer));
        drive(CURL_SOCKET_TIMEOUT, 0);
        return id;
    }

    void cancel(TransferId id) {
        std::lock_guard lock(mutex_);
        if (const auto found = active_.find(id); found != active_.end()) {
            curl_multi_remove_handle(multi_, found->second->easy);
            release(std::move(found->second));
            active_.erase(found);
            finishDue();
        }
    }

    /// Stops the I/O thread for good and drops every transfer without running its `done`.
    void shutdown() {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            stopping_ = true;
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
        if (thread_.joinable()) thread_.join();
        std::lock_guard lock(mutex_);
        for (auto& [id, transfer] : active_) curl_multi_remove_handle(multi_, transfer->easy);
        active_.clear();
    }

private:
    Session() {
        MainQueue::shared();  // exists before the session, so it outlives the I/O thread
        curl_global_init(CURL_GLOBAL_DEFAULT);
        multi_ = curl_multi_init();
        epollFd_ = epoll_create1(EPOLL_CLOEXEC);
        timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        for (const int fd : {timerFd_, wakeFd_}) {
            epoll_event event{.events = EPOLLIN, .data = {.fd = fd}};
            epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &event);
        }
        curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, onSocket);
        curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
        curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, onTimer);
        curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
        // Under the lock, so that a shutdown running meanwhile waits for the thread to exist.
        std::lock_guard lock(mutex_);
        if (onShutdown(ShutdownStep::transfers, [this] { shutdown(); }))
            thread_ = std::thread([this] { run(); });
        else
            stopping_ = true;  // the library shut down before its first transfer
    }

    ~Session() {
        shutdown();
        for (CURL* easy : pool_) curl_easy_cleanup(easy);
        curl_multi_cleanup(multi_);
        for (const int fd : {epollFd_, timerFd_, wakeFd_}) close(fd);
        curl_global_cleanup();
    }

    /// libcurl asks to watch `socket` for `what` (or no longer).
    static int onSocket(CURL*, curl_socket_t socket, int what, void* self, void*) {
        const int epoll = static_cast<Session*>(self)->epollFd_;
        if (what == CURL_POLL_REMOVE) {
            epoll_ctl(epoll, EPOLL_CTL_DEL, socket, nullptr);
            return 0;
        }
        epoll_event event{.events = 0, .data = {.fd = socket}};
        if (what & CURL_POLL_IN) event.events |= EPOLLIN;
        if (what & CURL_POLL_OUT) event.events |= EPOLLOUT;
        if (epoll_ctl(epoll, EPOLL_CTL_MOD, socket, &event) != 0) epoll_ctl(epoll, EPOLL_CTL_ADD, socket, &event);
        return 0;
    }

    /// libcurl wants to be called back after `milliseconds` (-1: never; 0: as soon as it can,
    /// which the driver holding the lock does before it lets go).
    static int onTimer(CURLM*, long milliseconds, void* data) {
        auto* self = static_cast<Session*>(data);
        if (milliseconds == 0) {
            self->timedOut_ = true;
            return 0;
        }
        itimerspec when{};
        if (milliseconds > 0) {
            when.it_value.tv_sec = milliseconds / 1000;
            when.it_value.tv_nsec = (milliseconds % 1000) * 1'000'000;
        }
        timerfd_settime(self->timerFd_, 0, &when, nullptr);
        return 0;
    }

    /// The I/O thread: waits for a socket or libcurl's timer, then drives.
    void run() {
        std::vector<epoll_event> events(64);
        while (true) {
            const int ready = epoll_wait(epollFd_, events.data(), static_cast<int>(events.size()), -1);
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            for (int i = 0; i < ready; ++i) {
                const epoll_event& event = events[static_cast<std::size_t>(i)];
                if (event.data.fd == wakeFd_) continue;
                if (event.data.fd == timerFd_) {
                    std::uint64_t expirations = 0;
                    if (read(timerFd_, &expirations, sizeof expirations) > 0) drive(CURL_SOCKET_TIMEOUT, 0);
                    continue;
                }
                int what = 0;
                if (event.events & (EPOLLIN | EPOLLHUP)) what |= CURL_CSELECT_IN;
                if (event.events & EPOLLOUT) what |= CURL_CSELECT_OUT;
                if (event.events & EPOLLERR) what |= CURL_CSELECT_ERR;
                drive(event.data.fd, what);
            }
        }
    }

    /// Lets libcurl act on `socket` (or on its timer), then ends the transfers it finished.
    /// Called with the lock held.
    void drive(curl_socket_t socket, int what) {
        int running = 0;
        curl_multi_socket_action(multi_, socket, what, &running);
        finishDue();
    }

    /// Acts at once where libcurl asked to, then ends the transfers it finished. Called with the
    /// lock held.
    void finishDue() {
        do {
            int running = 0;
            while (timedOut_) {
                timedOut_ = false;
                curl_multi_socket_action(multi_, CURL_SOCKET_TIMEOUT, 0, &running);
            }
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi_, &left))
                if (message->msg == CURLMSG_DONE) completed(message->easy_handle, message->data.result);
        } while (timedOut_);  // a redirect followed asks to start at once
    }

    /// Adds a transfer to the multi, or fails it when it may not be sent. Called with the lock held.
    void begin(std::unique_ptr<Transfer> transfer) {
        if (auto refused = refusal(transfer->url, transfer->request.url, transfer->pinnedHost))
            return transfer->done(
                fail(LumenoError::underlying(std::move(*refused), std::nullopt, Failure::destinationRefused)));
        if (auto malformed = malformedHeader(transfer->request.headers))
            return transfer->done(fail(LumenoError::underlying(std::move(*malformed))));
        transfer->easy = pool_.empty() ? newEasyHandle() : pool_.back();
        if (!pool_.empty()) pool_.pop_back();
        configure(*transfer);
        curl_multi_add_handle(multi_, transfer->easy);
        const TransferId id = transfer->id;
        active_.emplace(id, std::move(transfer));
        keepConnectionsFor(active_.size());
    }

    /// Gives the transfer's easy handle back to the pool, its connections kept by the multi.
    void release(std::unique_ptr<Transfer> transfer) {
        // Nothing of the transfer's stays referred to: its headers, URL and roots go with it.
        curl_easy_setopt(transfer->easy, CURLOPT_HTTPHEADER, nullptr);
        curl_easy_setopt(transfer->easy, CURLOPT_CURLU, nullptr);
        curl_easy_setopt(transfer->easy, CURLOPT_CAINFO_BLOB, nullptr);
        pool_.push_back(transfer->easy);
    }

    /// Lets the multi keep as many idle connections as calls have been in flight at once, so a
    /// finished transfer's connection waits for the next call instead of being closed.
    void keepConnectionsFor(std::size_t inFlight) {
        if (inFlight <= keptConnections_) return;
        keptConnections_ = inFlight;
        curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, static_cast<long>(inFlight));
    }

    void completed(CURL* easy, CURLcode code) {
        Transfer* transfer = nullptr;
        curl_easy_getinfo(easy, CURLINFO_PRIVATE, &transfer);
        curl_multi_remove_handle(multi_, easy);
        const auto found = active_.find(transfer->id);
        auto owned = std::move(found->second);
        active_.erase(found);
        auto result = outcome(*owned, code);
        if (!result) {  // a redirect the session follows, on the same easy handle
            configure(*owned);
            curl_multi_add_handle(multi_, easy);
            active_.emplace(owned->id, std::move(owned));
            return;
        }
        owned->done(std::move(*result));
        release(std::move(owned));
    }

    CURLM* multi_ = nullptr;
    int epollFd_ = -1, timerFd_ = -1, wakeFd_ = -1;
    std::thread thread_;
    std::atomic<TransferId> nextId_{1};

    std::mutex mutex_;  ///< held by whoever drives the multi, and for everything below
    bool stopping_ = false;
    bool timedOut_ = false;  ///< libcurl asked to be called again at once
    std::unordered_map<TransferId, std::unique_ptr<Transfer>> active_;
    std::vector<CURL*> pool_;  ///< easy handles of finished transfers, for the next ones
    std::size_t keptConnections_ = 0;
};

}  // namespace

TransferId startTransfer(HttpRequest request, std::string_view baseURL, TransferDone done) {
    auto transfer = std::make_unique<Transfer>();
    transfer->pinnedHost = pinnedHostOf(baseURL);
    transfer->url = ParsedUrl::parse(request.url);
    transfer->request = std::move(request);
    transfer->done = std::move(done);
    {
        Settings& settings = Settings::shared();
        std::lock_guard lock(settings.mutex);
        if (!settings.roots) settings.roots = std::make_shared<const std::string>(embeddedRootsPem());
        transfer->roots = settings.roots;
        transfer->timeouts = settings.timeouts;
        transfer->guardConnections = settings.guardConnections;
    }
    return Session::shared().start(std::move(transfer));
}

void cancelTransfer(TransferId id) { Session::shared().cancel(id); }

void setTransportTimeouts(TransportTimeouts timeouts) {
    std::lock_guard lock(Settings::shared().mutex);
    Settings::shared().timeouts = timeouts;
}

void setPinnedRootsForTesting(std::optional<std::string> pem) {
    std::lock_guard lock(Settings::shared().mutex);
    Settings::shared().roots = pem ? std::make_shared<const std::string>(std::move(*pem)) : nullptr;
}

void guardConnectionsForTesting() { Settings::shared().guardConnections = true; }

std::size_t refusedConnectionsForTesting() { return refusedConnections(); }

}  // namespace lumeno::detail
