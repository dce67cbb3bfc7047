// The session's I/O loop: two libcurl multi handles (plain HTTP, TLS; each made with the first
// transfer that needs it) driven through their socket interface, their sockets and timers
// (timerfds) in one epoll set. Whoever holds the session's lock drives: a caller starting a
// transfer (it sends at once on its own thread), a thread pumping the main queue while it waits,
// or the I/O thread when nobody else does (see session.hpp for the threads and their order).

#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <utility>
#include <vector>

#include "core/http/transfer.hpp"
#include "core/queue_waiter.hpp"
#include "core/shutdown.hpp"
#include "lumeno/core/main_queue.hpp"

namespace lumeno::detail {
namespace {

using Failure = LumenoError::TransportFailure;

/// What transfers started from now on take; tests change it. Each is read by itself, with no
/// lock on the way of every call.
struct Settings {
    using Milliseconds = std::chrono::milliseconds;

    std::atomic<Milliseconds::rep> connect{TransportTimeouts{}.connect.count()};
    std::atomic<Milliseconds::rep> total{TransportTimeouts{}.total.count()};
    std::atomic<bool> guardConnections{false};

    std::pair<TransportTimeouts, bool> current() const {
        constexpr auto relaxed = std::memory_order_relaxed;
        const TransportTimeouts timeouts{.connect = Milliseconds(connect.load(relaxed)),
                                         .total = Milliseconds(total.load(relaxed))};
        return {timeouts, guardConnections.load(relaxed)};
    }

    static Settings& shared() {
        static Settings settings;
        return settings;
    }
};

/// What the epoll set holds for one of libcurl's sockets. libcurl stops watching a connection's
/// socket whenever the connection idles between transfers; the socket stays in the set all the
/// same, so that the next transfer on the connection costs no epoll_ctl, and leaves it when it
/// closes (libcurl closes its connections through the session) or turns ready while idle (the
/// server closed it, or sent something nobody waits for). Other sockets (a resolver's) leave the
/// set as soon as libcurl stops watching them.
struct Watch {
    bool inSet = false;
    bool wanted = false;      ///< libcurl watches the socket
    bool connection = false;  ///< a connection's, opened through the session: its closing is seen
    std::uint64_t tag = 0;    ///< as the set holds it
    std::uint32_t events = 0;
};

class Session;

/// One multi handle of the session and libcurl's timer for it. Plain HTTP transfers (HTTP/1.1,
/// loopback only) and TLS transfers (HTTP/2 where the server speaks it) go through lanes of
/// their own, because they want different connection rules: over HTTP/2 a burst waits for a
/// connection it can multiplex on and at most `tlsConnectionsPerHost` connections open to the
/// host; over HTTP/1.1 either would only queue calls inside libcurl, where the wait counts
/// against their timeout.
/// The timer is armed only when libcurl wants to be called earlier than it fires: a later
/// deadline waits for the timer to fire, which then arms it again, so a transfer's timeouts
/// (set and dropped with each transfer) rarely cost a system call.
struct Lane {
    using Deadline = std::optional<std::chrono::steady_clock::time_point>;

    Session* session = nullptr;
    CURLM* multi = nullptr;
    int timerFd = -1;
    int index = 0;               ///< in the session's lanes; tags the lane's sockets in epoll
    bool timedOut = false;       ///< libcurl asked to be called again at once
    Deadline due;                ///< when libcurl wants to be called; none: never
    Deadline armed;              ///< when the timer fires; none: it does not
    bool capped = false;         ///< the per-host connection cap is on
    std::size_t keptConnections = 0;
};

constexpr long tlsConnectionsPerHost = 10;

/// A thread pumping the main queue, back from a wait in the session to run the tasks it found:
/// the transfers those tasks start are added at once and sent together when the thread waits
/// again or leaves the queue's loop, as a plain multi loop sends in one round what it added
/// after the last (the server then takes a burst of requests in one wake-up, not one each).
struct Pumping {
    bool between = false;  ///< between two waits
    bool putOff = false;   ///< a transfer waits to be sent
};
thread_local Pumping pumping;

/// The transfer records (with their easy handles) kept for later transfers; those of a larger
/// burst are let go.
constexpr std::size_t keptRecords = 64;

/// What an epoll event is about: a socket of lane 0 or 1, a lane's timer, the wake-up of the
/// I/O thread, or a task posted to the main queue.
enum class Source : std::uint32_t { plainSocket, tlsSocket, plainTimer, tlsTimer, wake, queue };

/// How long the I/O thread stays out of the way after a thread pumping the main queue stopped
/// driving.
constexpr std::chrono::milliseconds pumpGrace{5};

std::uint64_t tag(Source source, int fd) {
    return (std::uint64_t{static_cast<std::uint32_t>(source)} << 32) | static_cast<std::uint32_t>(fd);
}

class Session {
public:
    static Session& shared() {
        static Session session;
        return session;
    }

    TransferId start(HttpRequest&& request, std::string_view baseURL, TransferDone&& done) {
        // What the transfer takes from its caller and the settings, read before the lock.
        auto pinnedHost = pinnedHostOf(baseURL);
        if (!request.parsed) request.parsed = ParsedUrl::parse(request.url);
        std::shared_ptr<const PinnedRoots> roots;
        if (request.parsed && request.parsed->isTls()) roots = PinnedRoots::current();  // built on first use
        const auto [timeouts, guardConnections] = Settings::shared().current();
        const TransferId id = nextId_++;

        std::unique_lock lock(mutex_);
        std::optional<LumenoError> failure;
        if (stopping_)
            failure = LumenoError::underlying("The library has shut down.", std::nullopt, Failure::cancelled);
        else if (auto refused = refusal(request.parsed, request.url, *pinnedHost))
            failure = LumenoError::underlying(std::move(*refused), std::nullopt, Failure::destinationRefused);
        else if (auto malformed = malformedHeader(request.headers))
            failure = LumenoError::underlying(std::move(*malformed));
        if (failure) {
            lock.unlock();
            done(fail(std::move(*failure)));
            return id;
        }
        auto transfer = record();
        transfer->id = id;
        transfer->pinnedHost = std::move(pinnedHost);
        transfer->done = std::move(done);
        transfer->roots = std::move(roots);
        transfer->guardConnections = guardConnections;
        configure(*transfer, std::move(request), timeouts);
        Lane& lane = add(std::move(transfer));
        if (pumping.between) {
            lane.timedOut = true;  // sent by `finishDue` on the thread's next wait, or when it leaves
            pumping.putOff = true;
        } else {
            drive(lane, CURL_SOCKET_TIMEOUT, 0);
        }
        return id;
    }

    void cancel(TransferId id) {
        std::lock_guard lock(mutex_);
        const auto found = std::ranges::find(active_, id, [](const auto& transfer) { return transfer->id; });
        if (found == active_.end()) return;
        auto owned = untrack(**found);
        curl_multi_remove_handle(laneOf(*owned).multi, owned->easy);
        release(std::move(owned));
        finishDue();
    }

    /// Stops the I/O thread for good and drops every transfer without running its `done`.
    void shutdown() {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            stopping_ = true;
            wake();  // and never read again: every waiter returns
        }
        { std::lock_guard park(parkMutex_); }  // a parked I/O thread is in its wait, or sees `stopping_`
        parked_.notify_all();
        if (thread_.joinable()) thread_.join();
        setQueueWaiter(nullptr);
        std::lock_guard lock(mutex_);
        for (auto& transfer : active_) {
            curl_multi_remove_handle(laneOf(*transfer).multi, transfer->easy);
            release(std::move(transfer));
        }
        active_.clear();
    }

private:
    Session() {
        MainQueue::shared();  // exists before the session, so it outlives the I/O thread
        curl_global_init(CURL_GLOBAL_DEFAULT);
        epollFd_ = epoll_create1(EPOLL_CLOEXEC);
        wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        watch(wakeFd_, tag(Source::wake, wakeFd_));
        // Both lanes resolve through one DNS cache. libcurl walks the whole cache at each
        // transfer to drop stale addresses, and a share's is a third the size of a multi
        // handle's. Whoever drives holds the lock, so the share needs no locks of its own.
        names_ = curl_share_init();
        curl_share_setopt(names_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        // Under the lock, so that a shutdown running meanwhile waits for the thread and the
        // queue waiter to exist.
        std::lock_guard lock(mutex_);
        if (!onShutdown(ShutdownStep::transfers, [this] { shutdown(); })) {
            stopping_ = true;  // the library shut down before its first transfer
            return;
        }
        thread_ = std::thread([this] { run(); });
        const QueueWaiter waiter{.wait = [this](int posted, auto until) { pump(posted, until); },
                                 .leave = [this] { sendPutOff(); }};
        setQueueWaiter(&waiter);
    }

    ~Session() {
        shutdown();
        for (const auto& transfer : kept_) curl_easy_cleanup(transfer->easy);
        for (Lane& lane : lanes_) {
            if (!lane.multi) continue;
            curl_multi_cleanup(lane.multi);
            close(lane.timerFd);
        }
        curl_share_cleanup(names_);
        close(epollFd_);
        close(wakeFd_);
        curl_global_cleanup();
    }

    void watch(int fd, std::uint64_t tagged) const {
        epoll_event event{.events = EPOLLIN, .data = {.u64 = tagged}};
        epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &event);
    }

    /// The lane of the transfer's kind, made when a transfer of that kind first comes: a host
    /// talks to its gateway over one of them. Called with the lock held.
    Lane& laneOf(const Transfer& transfer) {
        const int index = transfer.tls ? 1 : 0;
        Lane& lane = lanes_[index];
        if (lane.multi) return lane;
        lane.multi = curl_multi_init();
        lane.timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        lane.session = this;
        lane.index = index;
        watch(lane.timerFd, tag(index == 0 ? Source::plainTimer : Source::tlsTimer, lane.timerFd));
        curl_multi_setopt(lane.multi, CURLMOPT_SOCKETFUNCTION, onSocket);
        curl_multi_setopt(lane.multi, CURLMOPT_SOCKETDATA, &lane);
        curl_multi_setopt(lane.multi, CURLMOPT_TIMERFUNCTION, onTimer);
        curl_multi_setopt(lane.multi, CURLMOPT_TIMERDATA, &lane);
        if (transfer.tls) capTlsConnections(true);
        return lane;
    }

    Watch& watchOf(curl_socket_t socket) {
        const auto at = static_cast<std::size_t>(socket);
        if (at >= watches_.size()) watches_.resize(std::max<std::size_t>(at + 1, 64));
        return watches_[at];
    }

    void unwatch(curl_socket_t socket, Watch& watch) {
        if (watch.inSet) epoll_ctl(epollFd_, EPOLL_CTL_DEL, socket, nullptr);
        watch.inSet = false;
    }

    /// libcurl asks to watch `socket` for `what` (or no longer). Called with the lock held, as
    /// every libcurl callback.
    static int onSocket(CURL*, curl_socket_t socket, int what, void* data, void*) {
        const Lane& lane = *static_cast<Lane*>(data);
        Session& session = *lane.session;
        Watch& watch = session.watchOf(socket);
        if (what == CURL_POLL_REMOVE) {
            watch.wanted = false;
            if (!watch.connection) session.unwatch(socket, watch);
            return 0;
        }
        epoll_event event{.events = 0,
                          .data = {.u64 = tag(lane.index == 0 ? Source::plainSocket : Source::tlsSocket, socket)}};
        if (what & CURL_POLL_IN) event.events |= EPOLLIN;
        if (what & CURL_POLL_OUT) event.events |= EPOLLOUT;
        watch.wanted = true;
        if (watch.inSet && watch.tag == event.data.u64 && watch.events == event.events) return 0;
        if (!watch.inSet || epoll_ctl(session.epollFd_, EPOLL_CTL_MOD, socket, &event) != 0)
            epoll_ctl(session.epollFd_, EPOLL_CTL_ADD, socket, &event);
        watch = {.inSet = true, .wanted = true, .connection = watch.connection, .tag = event.data.u64,
                 .events = event.events};
        return 0;
    }

    /// libcurl opens a connection's socket; the tests' connect guard allows only 127.0.0.0/8
    /// and ::1.
    static curl_socket_t onOpen(void* data, curlsocktype, curl_sockaddr* address) {
        if (static_cast<const Transfer*>(data)->guardConnections &&
            !isLoopbackAddress(&address->addr, address->family)) {
            ++refusedConnections();
            return CURL_SOCKET_BAD;
        }
        const curl_socket_t socket = ::socket(address->family, address->socktype, address->protocol);
        if (socket != CURL_SOCKET_BAD) shared().watchOf(socket) = {.connection = true};
        return socket;
    }

    /// libcurl closes a connection's socket, which leaves the epoll set with it.
    static int onClose(void* data, curl_socket_t socket) {
        static_cast<Session*>(data)->watchOf(socket) = {};
        return close(socket);
    }

    /// libcurl wants to be called back after `milliseconds` (-1: never; 0: as soon as it can,
    /// which the driver holding the lock does before it lets go).
    static int onTimer(CURLM*, long milliseconds, void* data) {
        Lane& lane = *static_cast<Lane*>(data);
        if (milliseconds < 0) {
            lane.due.reset();
            return 0;
        }
        if (milliseconds == 0) {
            lane.timedOut = true;
            lane.due.reset();
            return 0;
        }
        lane.due = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        if (!lane.armed || *lane.due < *lane.armed) arm(lane, *lane.due);
        return 0;
    }

    static void arm(Lane& lane, std::chrono::steady_clock::time_point when) {
        lane.armed = when;
        const auto since = when.time_since_epoch();  // steady_clock is CLOCK_MONOTONIC
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
        itimerspec value{};
        value.it_value.tv_sec = seconds.count();
        value.it_value.tv_nsec = std::chrono::duration_cast<std::chrono::nanoseconds>(since - seconds).count();
        if (value.it_value.tv_sec == 0 && value.it_value.tv_nsec == 0) value.it_value.tv_nsec = 1;  // 0 disarms
        timerfd_settime(lane.timerFd, TFD_TIMER_ABSTIME, &value, nullptr);
    }

    /// The lane's timer fired: libcurl's deadline has come, or it moved later meanwhile and the
    /// timer waits for it. Called with the lock held.
    void timerFired(Lane& lane) {
        lane.armed.reset();
        if (!lane.due) return;
        if (*lane.due > std::chrono::steady_clock::now()) return arm(lane, *lane.due);
        lane.due.reset();
        drive(lane, CURL_SOCKET_TIMEOUT, 0);
    }

    /// The I/O thread: waits for a socket or a timer of libcurl's, then drives; stays out of the
    /// way while a thread pumping the main queue drives, and a moment after, as it may pump
    /// again at once.
    void run() {
        std::array<epoll_event, 64> events;
        while (true) {
            stayOutOfTheWay();
            {
                std::lock_guard lock(mutex_);
                if (stopping_) return;
                if (pumped()) continue;  // a thread began to pump meanwhile
                finishDue();  // sends what a thread pumping the main queue put off, if it runs a long task
                ioWaiting_ = true;
            }
            const int ready = epoll_wait(epollFd_, events.data(), static_cast<int>(events.size()), -1);
            std::lock_guard lock(mutex_);
            ioWaiting_ = false;
            if (stopping_) return;
            handle(std::span(events.data(), static_cast<std::size_t>(std::max(ready, 0))));
        }
    }

    /// Whether a thread pumping the main queue drives, or did a moment ago.
    [[nodiscard]] bool pumped() const {
        return pumpers_.load(std::memory_order_relaxed) > 0 ||
               std::chrono::steady_clock::now() - lastPumped_.load(std::memory_order_relaxed) < pumpGrace;
    }

    /// Parks the I/O thread while a pumping thread drives, looking again every `pumpGrace`. It
    /// parks on a lock of its own: the driver, which holds the session's lock, never waits for it.
    void stayOutOfTheWay() {
        std::unique_lock lock(parkMutex_);
        while (!stopping_ && pumped()) parked_.wait_for(lock, pumpGrace);
    }

    /// The queue waiter (core/queue_waiter.hpp): a thread pumping the main queue waits for the
    /// transfers' sockets and timers and for the queue's `posted`, and drives what comes, as a
    /// plain multi loop would: the I/O thread stays out of the way meanwhile, so that callers
    /// starting transfers and the driver never contend for the session.
    void pump(int posted, std::chrono::steady_clock::time_point until) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            if (sendPutOffLocked()) {  // the queue looks at what they did before this thread waits
                pumping.between = true;
                return;
            }
            pumpers_.fetch_add(1, std::memory_order_relaxed);
            if (queueFd_ != posted) {
                queueFd_ = posted;
                watch(posted, tag(Source::queue, posted));
            }
            if (ioWaiting_) wake();  // the I/O thread leaves epoll_wait and stays out of the way
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        const int timeout = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, 1'000'000));
        std::array<epoll_event, 64> events;
        const int ready = epoll_wait(epollFd_, events.data(), static_cast<int>(events.size()), timeout);
        const std::span happened(events.data(), static_cast<std::size_t>(std::max(ready, 0)));
        if (std::ranges::any_of(happened, [](const epoll_event& event) {
                return static_cast<Source>(event.data.u64 >> 32) == Source::queue;
            })) {
            std::uint64_t count = 0;  // the queue looks at its tasks when this returns
            [[maybe_unused]] const auto got = read(posted, &count, sizeof count);
        }
        std::lock_guard lock(mutex_);
        pumpers_.fetch_sub(1, std::memory_order_relaxed);
        lastPumped_.store(std::chrono::steady_clock::now(), std::memory_order_relaxed);
        if (!stopping_) handle(happened);
        pumping.between = true;
    }

    /// The queue waiter's `leave`: the thread no longer pumps; what it put off goes now.
    void sendPutOff() {
        pumping.between = false;
        if (!pumping.putOff) return;
        std::lock_guard lock(mutex_);
        if (!stopping_) sendPutOffLocked();
    }

    /// Sends the transfers this thread put off; false when there were none. Called with the
    /// lock held.
    bool sendPutOffLocked() {
        if (!std::exchange(pumping.putOff, false)) return false;
        finishDue();
        return true;
    }

    void wake() const {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
    }

    /// Drives what the events call for. Called with the lock held.
    void handle(std::span<const epoll_event> events) {
        for (const epoll_event& event : events) {
            const auto source = static_cast<Source>(event.data.u64 >> 32);
            const int fd = static_cast<int>(event.data.u64 & 0xffffffff);
            switch (source) {
                case Source::queue: break;  // for the pumping thread (`pump`)
                case Source::wake: {
                    std::uint64_t count = 0;
                    [[maybe_unused]] const auto got = read(fd, &count, sizeof count);
                    break;
                }
                case Source::plainTimer:
                case Source::tlsTimer: {
                    std::uint64_t expirations = 0;
                    if (read(fd, &expirations, sizeof expirations) > 0)
                        timerFired(lanes_[source == Source::tlsTimer ? 1 : 0]);
                    break;
                }
                case Source::plainSocket:
                case Source::tlsSocket: {
                    if (Watch& watch = watchOf(fd); !watch.wanted) {
                        unwatch(fd, watch);  // an idle connection's: libcurl looks at it when it next uses it
                        break;
                    }
                    int what = 0;
                    if (event.events & (EPOLLIN | EPOLLHUP)) what |= CURL_CSELECT_IN;
                    if (event.events & EPOLLOUT) what |= CURL_CSELECT_OUT;
                    if (event.events & EPOLLERR) what |= CURL_CSELECT_ERR;
                    drive(lanes_[source == Source::tlsSocket ? 1 : 0], fd, what);
                    break;
                }
            }
        }
    }

    /// Lets libcurl act on `socket` (or on its timer), then ends the transfers it finished.
    /// Called with the lock held.
    void drive(Lane& lane, curl_socket_t socket, int what) {
        if (socket == CURL_SOCKET_TIMEOUT) lane.timedOut = false;  // this call does what is due
        int running = 0;
        curl_multi_socket_action(lane.multi, socket, what, &running);
        finishDue();
    }

    /// Acts at once where libcurl asked to, then ends the transfers it finished. Called with the
    /// lock held.
    void finishDue() {
        const auto due = [this] { return lanes_[0].timedOut || lanes_[1].timedOut; };
        do {
            for (Lane& lane : lanes_) {
                if (!lane.multi) continue;
                int running = 0;
                while (lane.timedOut) {
                    lane.timedOut = false;
                    curl_multi_socket_action(lane.multi, CURL_SOCKET_TIMEOUT, 0, &running);
                }
                int left = 0;
                while (CURLMsg* message = curl_multi_info_read(lane.multi, &left))
                    if (message->msg == CURLMSG_DONE) completed(lane, message->easy_handle, message->data.result);
            }
        } while (due());  // a redirect followed asks to start at once
    }

    /// A kept transfer record, or a new one with its easy handle. Called with the lock held.
    std::unique_ptr<Transfer> record() {
        if (!kept_.empty()) {
            auto transfer = std::move(kept_.back());
            kept_.pop_back();
            return transfer;
        }
        auto transfer = std::make_unique_for_overwrite<Transfer>();  // what needs a value has one
        transfer->easy = newEasyHandle(*transfer);
        curl_easy_setopt(transfer->easy, CURLOPT_OPENSOCKETFUNCTION, onOpen);
        curl_easy_setopt(transfer->easy, CURLOPT_CLOSESOCKETFUNCTION, onClose);
        curl_easy_setopt(transfer->easy, CURLOPT_CLOSESOCKETDATA, this);
        curl_easy_setopt(transfer->easy, CURLOPT_SHARE, names_);
        return transfer;
    }

    /// Adds a transfer set up for its current request to its lane.
    Lane& add(std::unique_ptr<Transfer> transfer) {
        Lane& lane = laneOf(*transfer);
        curl_multi_add_handle(lane.multi, transfer->easy);
        transfer->slot = static_cast<std::uint32_t>(active_.size());
        active_.push_back(std::move(transfer));
        keepConnectionsFor(lane);
        return lane;
    }

    /// Takes a transfer out of those in flight; the last one takes its place.
    std::unique_ptr<Transfer> untrack(Transfer& transfer) {
        auto owned = std::move(active_[transfer.slot]);
        if (transfer.slot + 1 != active_.size()) {
            active_[transfer.slot] = std::move(active_.back());
            active_[transfer.slot]->slot = transfer.slot;
        }
        active_.pop_back();
        return owned;
    }

    /// Keeps the record of a transfer that ended for a later one, or lets it go when enough
    /// are kept; its connections stay with the multi either way. Nothing of the call stays: its
    /// URL, reply, completion, roots and host go. The easy handle still names the URL and header
    /// lines it was last given, which libcurl reads only when the handle is set up and added
    /// again. The room of the request's text (URL, body, header lines) and of the reply record
    /// stays for the next call.
    void release(std::unique_ptr<Transfer> transfer) {
        if (kept_.size() == keptRecords) return curl_easy_cleanup(transfer->easy);
        transfer->url.reset();
        transfer->urlText = {};
        transfer->text.trim();
        transfer->done = nullptr;
        transfer->roots.reset();
        transfer->pinnedHost.reset();
        if (transfer->response) *transfer->response = {};
        transfer->abort.reset();
        transfer->redirects = 0;
        kept_.push_back(std::move(transfer));
    }

    /// Lets a lane keep as many idle connections as calls have been in flight at once, so a
    /// finished transfer's connection waits for the next call instead of being closed.
    void keepConnectionsFor(Lane& lane) {
        const std::size_t inFlight = active_.size();
        if (inFlight <= lane.keptConnections) return;
        lane.keptConnections = inFlight;
        curl_multi_setopt(lane.multi, CURLMOPT_MAXCONNECTS, static_cast<long>(inFlight));
    }

    /// The cap on TLS connections per host holds while the server speaks HTTP/2; once a reply
    /// comes over HTTP/1.x, where a connection carries one call at a time, it goes.
    void capTlsConnections(bool on) {
        lanes_[1].capped = on;
        curl_multi_setopt(lanes_[1].multi, CURLMOPT_MAX_HOST_CONNECTIONS, on ? tlsConnectionsPerHost : 0L);
    }

    void completed(Lane& lane, CURL* easy, CURLcode code) {
        Transfer* transfer = nullptr;
        curl_easy_getinfo(easy, CURLINFO_PRIVATE, &transfer);
        curl_multi_remove_handle(lane.multi, easy);
        if (long version = 0; lane.capped && code == CURLE_OK &&
                              curl_easy_getinfo(easy, CURLINFO_HTTP_VERSION, &version) == CURLE_OK &&
                              version != CURL_HTTP_VERSION_2_0 && version != 0)
            capTlsConnections(false);
        auto owned = untrack(*transfer);
        auto result = outcome(*owned, code);
        if (!result) {  // a redirect the session follows, on the same easy handle, set up for it
            add(std::move(owned));
            return;
        }
        owned->done(std::move(*result));
        release(std::move(owned));
    }

    std::array<Lane, 2> lanes_;  ///< plain HTTP, TLS; each made with its first transfer
    int epollFd_ = -1, wakeFd_ = -1;
    CURLSH* names_ = nullptr;  ///< the DNS cache, shared by every transfer
    std::thread thread_;
    std::atomic<TransferId> nextId_{1};

    std::mutex mutex_;  ///< held by whoever drives a lane, and for everything below
    std::atomic<bool> stopping_ = false;  ///< set under the lock; read also by the parked I/O thread
    /// Threads waiting in `pump`, and when the last one left; written under the lock, read also
    /// by the parked I/O thread.
    std::atomic<int> pumpers_ = 0;
    std::atomic<std::chrono::steady_clock::time_point> lastPumped_{};
    bool ioWaiting_ = false;   ///< the I/O thread is in epoll_wait
    std::mutex parkMutex_;             ///< the I/O thread's own, for `parked_`
    std::condition_variable parked_;  ///< the I/O thread waits here while others drive
    int queueFd_ = -1;         ///< the main queue's `posted`, once watched
    std::vector<std::unique_ptr<Transfer>> active_;  ///< in flight; each knows its place (`slot`)
    std::vector<std::unique_ptr<Transfer>> kept_;  ///< records of ended transfers, for the next ones
    std::vector<Watch> watches_;  ///< by socket
};

}  // namespace

TransferId startTransfer(HttpRequest&& request, std::string_view baseURL, TransferDone&& done) {
    return Session::shared().start(std::move(request), baseURL, std::move(done));
}

void cancelTransfer(TransferId id) { Session::shared().cancel(id); }

void setTransportTimeouts(TransportTimeouts timeouts) {
    Settings::shared().connect = timeouts.connect.count();
    Settings::shared().total = timeouts.total.count();
}

void setPinnedRootsForTesting(std::optional<std::string> pem) { PinnedRoots::replace(std::move(pem)); }

void guardConnectionsForTesting() { Settings::shared().guardConnections = true; }

std::size_t refusedConnectionsForTesting() { return refusedConnections(); }

}  // namespace lumeno::detail
