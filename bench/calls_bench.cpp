// The client's cost of a call, side by side with plain libcurl, against a fast loopback server
// of the benchmark's own (one epoll thread, HTTP/1.1 keep-alive, a fixed small JSON reply).
// Rounds alternate between the library and the plain loop; each figure prints the median and
// the minimum of both and the ratio library / plain. Absolute figures depend on the machine:
// read the ratios.
//
//   bench_calls_bench [rounds]          (default 7 rounds)

#include <curl/curl.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <spawn.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "lumeno/api/lumeno_request.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/main_queue.hpp"

extern char** environ;

using namespace lumeno;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::string_view replyBody =
    R"({"member_id":"M1","loyalty_account_id":"12","total_points":1200.5,"available_points":1000.25,"pending_points":200.25})";
constexpr std::string_view heldPrefix = "/hold";  // requests under this path wait for `release`

/// One epoll thread answering every request with `replyBody`, keeping connections open.
/// Requests whose path starts with `heldPrefix` are answered only on `release`.
class LoopbackServer {
public:
    LoopbackServer() {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        const int one = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(listener_, 4096) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("loopback server: no listening socket");
        port_ = ntohs(address.sin_port);
        wake_ = eventfd(0, EFD_NONBLOCK);
        epoll_ = epoll_create1(0);
        watch(listener_, EPOLLIN);
        watch(wake_, EPOLLIN);
        reply_ = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                 std::to_string(replyBody.size()) + "\r\n\r\n" + std::string(replyBody);
        thread_ = std::thread([this] { run(); });
    }
    ~LoopbackServer() {
        stopping_ = true;
        signal();
        thread_.join();
        for (auto& [fd, connection] : connections_) close(fd);
        close(listener_);
        close(wake_);
        close(epoll_);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    [[nodiscard]] std::string url(std::string_view path = "") const {
        return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
    }
    [[nodiscard]] int port() const { return port_; }
    [[nodiscard]] long accepted() const { return accepted_.load(); }
    /// The CPU time the server's thread has used, so the client's share can be told apart.
    [[nodiscard]] double cpuSeconds() const {
        clockid_t clock{};
        timespec spent{};
        pthread_getcpuclockid(const_cast<std::thread&>(thread_).native_handle(), &clock);
        clock_gettime(clock, &spent);
        return static_cast<double>(spent.tv_sec) + static_cast<double>(spent.tv_nsec) * 1e-9;
    }
    /// Waits until `count` requests are held; false after `timeout`.
    bool waitHeld(long count, std::chrono::seconds timeout) {
        std::unique_lock lock(mutex_);
        return heldChanged_.wait_for(lock, timeout, [&] { return held_ >= count; });
    }
    /// Answers every held request.
    void release() {
        releasing_ = true;
        signal();
    }

private:
    struct Connection {
        std::string in;
        std::string out;
        long held = 0;
    };

    void watch(int fd, std::uint32_t events) {
        epoll_event event{.events = events, .data = {.fd = fd}};
        epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
    }
    void signal() const {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wake_, &one, sizeof one);
    }

    void run() {
        std::vector<epoll_event> events(256);
        while (!stopping_) {
            const int ready = epoll_wait(epoll_, events.data(), static_cast<int>(events.size()), -1);
            for (int i = 0; i < ready; ++i) {
                const int fd = events[static_cast<std::size_t>(i)].data.fd;
                if (fd == listener_) acceptAll();
                else if (fd == wake_) woken();
                else if (events[static_cast<std::size_t>(i)].events & EPOLLOUT) flush(fd);
                else serve(fd);
            }
        }
    }

    void acceptAll() {
        for (int fd; (fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;) {
            const int one = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            connections_[fd] = {};
            watch(fd, EPOLLIN);
            ++accepted_;
        }
    }

    void woken() {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto read = ::read(wake_, &count, sizeof count);
        if (!releasing_.exchange(false)) return;
        for (auto& [fd, connection] : connections_) {
            for (; connection.held > 0; --connection.held) connection.out += reply_;
            flush(fd);
        }
        std::lock_guard lock(mutex_);
        held_ = 0;
    }

    void serve(int fd) {
        Connection& connection = connections_[fd];
        char buffer[16384];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                connection.in.append(buffer, static_cast<std::size_t>(got));
                continue;
            }
            if (got == 0 || errno != EAGAIN) {
                close(fd);
                connections_.erase(fd);
                return;
            }
            break;
        }
        long newlyHeld = 0;
        for (std::size_t end; (end = connection.in.find("\r\n\r\n")) != std::string::npos;) {
            const std::string_view head(connection.in.data(), end);
            const std::size_t size = end + 4 + contentLength(head);
            if (connection.in.size() < size) break;
            const std::size_t target = head.find(' ') + 1;
            if (head.substr(target, heldPrefix.size()) == heldPrefix) ++newlyHeld;
            else connection.out += reply_;
            connection.in.erase(0, size);
        }
        connection.held += newlyHeld;
        flush(fd);
        if (newlyHeld > 0) {
            std::lock_guard lock(mutex_);
            held_ += newlyHeld;
            heldChanged_.notify_all();
        }
    }

    static std::size_t contentLength(std::string_view head) {
        for (const std::string_view name : {"\r\nContent-Length:", "\r\ncontent-length:"})
            if (const auto at = head.find(name); at != std::string_view::npos)
                return std::strtoul(head.data() + at + name.size(), nullptr, 10);
        return 0;
    }

    void flush(int fd) {
        const auto found = connections_.find(fd);
        if (found == connections_.end()) return;
        std::string& out = found->second.out;
        while (!out.empty()) {
            const ssize_t sent = ::send(fd, out.data(), out.size(), MSG_NOSIGNAL);
            if (sent <= 0) break;
            out.erase(0, static_cast<std::size_t>(sent));
        }
        epoll_event event{.events = static_cast<std::uint32_t>(out.empty() ? EPOLLIN : EPOLLIN | EPOLLOUT),
                          .data = {.fd = fd}};
        epoll_ctl(epoll_, EPOLL_CTL_MOD, fd, &event);
    }

    int listener_ = -1;
    int wake_ = -1;
    int epoll_ = -1;
    int port_ = 0;
    std::string reply_;
    std::unordered_map<int, Connection> connections_;
    std::atomic<long> accepted_{0};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> releasing_{false};
    std::mutex mutex_;
    std::condition_variable heldChanged_;
    long held_ = 0;
    std::thread thread_;
};

// ---- the two clients ----------------------------------------------------------------------

std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

/// A plain easy handle as an application would set one up for the same call.
struct PlainEasy {
    CURL* easy = curl_easy_init();
    curl_slist* headers = nullptr;
    explicit PlainEasy(const std::string& url) {
        headers = curl_slist_append(headers, "x-api-key: bench-key");
        headers = curl_slist_append(headers, "Authorization: JWT bench-token");
        headers = curl_slist_append(headers, "Accept: application/json");
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discard);
        curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
    }
    ~PlainEasy() {
        curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
    PlainEasy(const PlainEasy&) = delete;
    PlainEasy& operator=(const PlainEasy&) = delete;
};

void plainSequential(const std::string& url, int calls) {
    PlainEasy plain(url);
    for (int i = 0; i < calls; ++i)
        if (curl_easy_perform(plain.easy) != CURLE_OK) throw std::runtime_error("plain call failed");
}

/// Keeps `inFlight` transfers going on one multi handle until `calls` have finished.
void plainInFlight(const std::string& url, int calls, int inFlight) {
    CURLM* multi = curl_multi_init();
    std::vector<std::unique_ptr<PlainEasy>> handles;
    int started = 0;
    for (; started < std::min(calls, inFlight); ++started) {
        handles.push_back(std::make_unique<PlainEasy>(url));
        curl_multi_add_handle(multi, handles.back()->easy);
    }
    for (int finished = 0, running = 0; finished < calls;) {
        curl_multi_perform(multi, &running);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg != CURLMSG_DONE) continue;
            if (message->data.result != CURLE_OK) throw std::runtime_error("plain call failed");
            ++finished;
            curl_multi_remove_handle(multi, message->easy_handle);
            if (started < calls) {
                ++started;
                curl_multi_add_handle(multi, message->easy_handle);
            }
        }
        if (finished < calls) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    for (const auto& handle : handles) curl_multi_remove_handle(multi, handle->easy);
    handles.clear();
    curl_multi_cleanup(multi);
}

/// Keeps `inFlight` `getPointBalance` calls going until `calls` have completed.
void libraryInFlight(int calls, int inFlight) {
    int started = 0;
    int finished = 0;
    std::function<void()> start = [&] {
        ++started;
        LumenoRequest::getPointBalance("bench-token", "M1", 12, [&](Result<PendingPointBalance> result) {
            if (!result) throw std::runtime_error("library call failed: " + result.error().detail());
            ++finished;
            if (started < calls) start();
        });
    };
    for (int i = 0; i < std::min(calls, inFlight); ++i) start();
    if (!MainQueue::shared().runUntil([&] { return finished == calls; }, std::chrono::seconds(60)))
        throw std::runtime_error("library calls did not finish");
}

// ---- rounds and figures ---------------------------------------------------------------------

double processCpuSeconds() {
    timespec spent{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &spent);
    return static_cast<double>(spent.tv_sec) + static_cast<double>(spent.tv_nsec) * 1e-9;
}

struct Sample {
    double rate = 0;         ///< calls per second
    double cpuMicros = 0;    ///< client CPU per call
    double connections = 0;  ///< connections the server accepted during the round
};

Sample timeRound(LoopbackServer& server, int calls, const std::function<void()>& body) {
    const long accepted = server.accepted();
    const double cpu = processCpuSeconds() - server.cpuSeconds();
    const auto begin = Clock::now();
    body();
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    const double clientCpu = processCpuSeconds() - server.cpuSeconds() - cpu;
    return {.rate = calls / seconds,
            .cpuMicros = clientCpu * 1e6 / calls,
            .connections = static_cast<double>(server.accepted() - accepted)};
}

struct Figure {
    std::vector<double> library;
    std::vector<double> plain;
};

double median(std::vector<double> values) {
    std::ranges::sort(values);
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void print(std::string_view name, const Figure& figure, std::string_view unit) {
    const double libraryMedian = median(figure.library);
    const double plainMedian = median(figure.plain);
    std::printf("%-34s %12.1f %12.1f %12.1f %12.1f   %6.2f  %s\n", std::string(name).c_str(), libraryMedian,
                std::ranges::min(figure.library), plainMedian, std::ranges::min(figure.plain),
                plainMedian == 0 ? 0.0 : libraryMedian / plainMedian, std::string(unit).c_str());
}

void useTenant(std::string tenant) {
    Lumeno::shared().updateSettings([&](LumenoSettings& settings) { settings.tenant = std::move(tenant); });
}

long residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:")) return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

/// Child side of the held-call figure: warms up, prints its resident size, then sends `count`
/// calls the server holds and waits for them.
int holdCalls(bool library, int port, int count) {
    const std::string base = "http://127.0.0.1:" + std::to_string(port);
    if (library) {
        useTenant(base + "/v1");
        libraryInFlight(1, 1);
        useTenant(base + std::string(heldPrefix));
        std::printf("%ld\n", residentKiB(getpid()));
        std::fflush(stdout);
        libraryInFlight(count, count);
    } else {
        plainSequential(base + "/v1", 1);
        std::printf("%ld\n", residentKiB(getpid()));
        std::fflush(stdout);
        plainInFlight(base + std::string(heldPrefix), count, count);
    }
    return 0;
}

/// Resident KiB per held call in a fresh process, so neither client reuses the other's memory.
double heldCallKiB(LoopbackServer& server, bool library, int count) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::string self = "/proc/self/exe", mode = "--hold", kind = library ? "library" : "plain",
                port = std::to_string(server.port()), number = std::to_string(count);
    char* argv[] = {self.data(), mode.data(), kind.data(), port.data(), number.data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, self.c_str(), &actions, nullptr, argv, environ) != 0)
        throw std::runtime_error("cannot start the held-call process");
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    char line[64] = {};
    const ssize_t got = read(pipeFds[0], line, sizeof line - 1);
    close(pipeFds[0]);
    const long before = got > 0 ? std::strtol(line, nullptr, 10) : 0;
    const bool allHeld = server.waitHeld(count, std::chrono::seconds(30));
    const long during = residentKiB(child);
    server.release();
    int status = 0;
    waitpid(child, &status, 0);
    if (!allHeld || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("held calls did not complete");
    return static_cast<double>(during - before) / count;
}

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    Lumeno::shared().updateSettings([](LumenoSettings& settings) {
        settings.baseURL = "https://127.0.0.1";
        settings.apiKey = "bench-key";
        settings.tokenType = "JWT";
    });
    if (argc == 5 && std::string_view(argv[1]) == "--hold")
        return holdCalls(std::string_view(argv[2]) == "library", std::atoi(argv[3]), std::atoi(argv[4]));

    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    constexpr int sequentialCalls = 3000;
    constexpr int inFlightCalls = 20000;
    constexpr int heldCalls = 1000;

    LoopbackServer server;
    useTenant(server.url("/v1"));
    const std::string url = server.url("/v1/members/M1/loyaltyaccount/12/");
    libraryInFlight(200, 16);  // warm-up: connections, allocator, first-call set-up
    plainInFlight(url, 200, 16);

    Figure sequentialRate, sequentialCpu;
    Figure rate16, rate256, connections16, connections256, held;
    for (int round = 0; round < rounds; ++round) {
        for (const bool library : {round % 2 == 0, round % 2 != 0}) {
            const auto pick = [&](Figure& figure) -> std::vector<double>& { return library ? figure.library : figure.plain; };
            const Sample sequential = timeRound(server, sequentialCalls, [&] {
                if (library)
                    for (int i = 0; i < sequentialCalls; ++i) libraryInFlight(1, 1);
                else plainSequential(url, sequentialCalls);
            });
            pick(sequentialRate).push_back(sequential.rate);
            pick(sequentialCpu).push_back(sequential.cpuMicros);
            for (const int inFlight : {16, 256}) {
                const Sample sample = timeRound(server, inFlightCalls, [&] {
                    if (library) libraryInFlight(inFlightCalls, inFlight);
                    else plainInFlight(url, inFlightCalls, inFlight);
                });
                pick(inFlight == 16 ? rate16 : rate256).push_back(sample.rate);
                pick(inFlight == 16 ? connections16 : connections256).push_back(sample.connections);
            }
            pick(held).push_back(heldCallKiB(server, library, heldCalls));
        }
    }

    std::printf("%d rounds, library and plain libcurl alternating; ratio = library median / plain median\n", rounds);
    std::printf("%-34s %12s %12s %12s %12s   %6s\n", "figure", "lib median", "lib min", "plain median",
                "plain min", "ratio");
    print("sequential calls", sequentialRate, "calls/s (higher is better)");
    print("client CPU per sequential call", sequentialCpu, "us (lower is better)");
    print("16 in flight", rate16, "calls/s (higher is better)");
    print("256 in flight", rate256, "calls/s (higher is better)");
    print("connections, 16 in flight", connections16, "accepted per 20,000 calls (fewer is better)");
    print("connections, 256 in flight", connections256, "accepted per 20,000 calls (fewer is better)");
    print("RSS per held call, 1000 held", held, "KiB (lower is better)");
    curl_global_cleanup();
    return 0;
}
