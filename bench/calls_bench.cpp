// The client's cost of a call, side by side with plain libcurl, against a fast loopback server
// of the benchmark's own (one epoll thread, HTTP/1.1 keep-alive, a fixed small JSON reply).
// Each round measures every figure on both sides back to back, the library first in every other
// round; each figure prints the median and the minimum of both and the ratio library / plain.
// Absolute figures depend on the machine: read the ratios.
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
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "core/http/session.hpp"
#include "lumeno/api/lumeno_request.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/main_queue.hpp"
#include "pages.hpp"

extern char** environ;

using namespace lumeno;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::string_view replyBody = bench::kPointBalance;
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

/// How the plain side talks to an HTTPS server: the same settings as the library's (HTTP/2 over
/// TLS, waiting to multiplex instead of opening a connection per transfer), the test CA as its
/// only root.
struct Tls {
    std::string caFile;
};

/// A plain easy handle as an application would set one up for the same call: the headers the
/// library sends, nothing more.
struct PlainEasy {
    CURL* easy = curl_easy_init();
    curl_slist* headers = nullptr;
    PlainEasy(const std::string& url, const std::optional<Tls>& tls) {
        headers = curl_slist_append(headers, "x-api-key: bench-key");
        headers = curl_slist_append(headers, "Authorization: JWT bench-token");
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discard);
        curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
        if (tls) {
            curl_easy_setopt(easy, CURLOPT_CAINFO, tls->caFile.c_str());
            curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
            curl_easy_setopt(easy, CURLOPT_PIPEWAIT, 1L);
        }
    }
    ~PlainEasy() {
        curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
    PlainEasy(const PlainEasy&) = delete;
    PlainEasy& operator=(const PlainEasy&) = delete;
};

void plainSequential(const std::string& url, int calls) {
    PlainEasy plain(url, std::nullopt);
    for (int i = 0; i < calls; ++i)
        if (curl_easy_perform(plain.easy) != CURLE_OK) throw std::runtime_error("plain call failed");
}

/// A plain multi loop, as an application keeping transfers in flight would write one: one multi
/// handle (and so one connection cache) and its easy handles kept from round to round.
class PlainMulti {
public:
    PlainMulti(std::string url, std::optional<Tls> tls) : url_(std::move(url)), tls_(std::move(tls)) {
        // Over HTTP/2, at most 10 connections to the host, as the plain reference of the issue.
        if (tls_) curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, 10L);
    }
    ~PlainMulti() {
        handles_.clear();
        curl_multi_cleanup(multi_);
    }
    PlainMulti(const PlainMulti&) = delete;
    PlainMulti& operator=(const PlainMulti&) = delete;

    /// Sends the calls of later rounds to `url`, over the connections kept so far.
    void retarget(std::string url) {
        url_ = std::move(url);
        for (const auto& handle : handles_) curl_easy_setopt(handle->easy, CURLOPT_URL, url_.c_str());
    }

    /// Keeps `inFlight` transfers going until `calls` have finished; returns the failures.
    int run(int calls, int inFlight) {
        while (handles_.size() < static_cast<std::size_t>(inFlight))
            handles_.push_back(std::make_unique<PlainEasy>(url_, tls_));
        // Keeps a connection per transfer in flight between rounds, as the library does.
        curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, static_cast<long>(handles_.size()));
        int started = 0, failures = 0;
        for (; started < std::min(calls, inFlight); ++started)
            curl_multi_add_handle(multi_, handles_[static_cast<std::size_t>(started)]->easy);
        for (int finished = 0, running = 0; finished < calls;) {
            curl_multi_perform(multi_, &running);
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
                if (message->msg != CURLMSG_DONE) continue;
                if (message->data.result != CURLE_OK) ++failures;
                ++finished;
                curl_multi_remove_handle(multi_, message->easy_handle);
                if (started < calls) {
                    ++started;
                    curl_multi_add_handle(multi_, message->easy_handle);
                }
            }
            if (finished < calls) curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
        }
        return failures;
    }

private:
    std::string url_;
    std::optional<Tls> tls_;
    CURLM* multi_ = curl_multi_init();
    std::vector<std::unique_ptr<PlainEasy>> handles_;
};

/// Keeps `inFlight` `getPointBalance` calls going until `calls` have completed; returns the
/// failures.
int libraryInFlight(int calls, int inFlight) {
    int started = 0, finished = 0, failures = 0;
    std::function<void()> start = [&] {
        ++started;
        LumenoRequest::getPointBalance("bench-token", "M1", 12, [&](Result<PendingPointBalance> result) {
            if (!result) ++failures;
            ++finished;
            if (started < calls) start();
        });
    };
    for (int i = 0; i < std::min(calls, inFlight); ++i) start();
    if (!MainQueue::shared().runUntil([&] { return finished == calls; }, std::chrono::seconds(60)))
        throw std::runtime_error("library calls did not finish");
    return failures;
}

void expectNoFailure(int failures, std::string_view who) {
    if (failures != 0) throw std::runtime_error(std::string(who) + ": " + std::to_string(failures) + " calls failed");
}

// ---- rounds and figures ---------------------------------------------------------------------

double processCpuSeconds() {
    timespec spent{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &spent);
    return static_cast<double>(spent.tv_sec) + static_cast<double>(spent.tv_nsec) * 1e-9;
}

double monotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
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

    void add(bool toLibrary, double value) { (toLibrary ? library : plain).push_back(value); }
};

double median(std::vector<double> values) {
    std::ranges::sort(values);
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void print(std::string_view name, const Figure& figure, std::string_view unit) {
    if (figure.library.empty() || figure.plain.empty()) return;
    const double libraryMedian = median(figure.library);
    const double plainMedian = median(figure.plain);
    std::printf("%-36s %12.1f %12.1f %12.1f %12.1f   %6.2f  %s\n", std::string(name).c_str(), libraryMedian,
                std::ranges::min(figure.library), plainMedian, std::ranges::min(figure.plain),
                plainMedian == 0 ? 0.0 : libraryMedian / plainMedian, std::string(unit).c_str());
}

void useGateway(std::string tenant) {
    Lumeno::shared().updateSettings([&](LumenoSettings& settings) { settings.tenant = std::move(tenant); });
}

/// Points the library at an HTTPS gateway whose certificate `caFile` issued.
void useTlsGateway(const std::string& origin, const std::string& caFile) {
    std::ifstream in(caFile);
    detail::setPinnedRootsForTesting(std::string(std::istreambuf_iterator<char>(in), {}));
    Lumeno::shared().updateSettings([&](LumenoSettings& settings) {
        settings.baseURL = origin + "/";
        settings.tenant = origin + "/v1";
    });
}

long residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:")) return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

/// The sockets of this process connected to `port` on loopback.
int connectionsTo(int port) {
    int count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        const int fd = std::atoi(entry.path().filename().c_str());
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) == 0 && peer.sin_family == AF_INET &&
            ntohs(peer.sin_port) == port)
            ++count;
    }
    return count;
}

/// A child process of the benchmark: `program` (by default this executable again) with
/// `arguments`, its standard input and output on pipes.
class Child {
public:
    explicit Child(std::vector<std::string> arguments, std::string program = "/proc/self/exe") {
        int out[2], in[2];
        if (pipe(out) != 0 || pipe(in) != 0) throw std::runtime_error("no pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        arguments.insert(arguments.begin(), std::move(program));
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        started_ = monotonicSeconds();
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            throw std::runtime_error("cannot start a child process");
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(in[0]);
        out_ = fdopen(out[0], "r");
        in_ = in[1];
    }
    ~Child() {
        if (out_) std::fclose(out_);
        if (in_ >= 0) close(in_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    [[nodiscard]] pid_t pid() const { return pid_; }
    [[nodiscard]] double started() const { return started_; }
    /// The next number the child printed.
    double read() {
        double value = 0;
        if (std::fscanf(out_, "%lf", &value) != 1) throw std::runtime_error("a child process said nothing");
        return value;
    }
    /// Lets a child waiting in `proceed` go on.
    void signal() {
        const char go = '\n';
        [[maybe_unused]] const auto written = write(in_, &go, 1);
    }
    void wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("a child process failed");
    }

private:
    pid_t pid_ = 0;
    double started_ = 0;
    FILE* out_ = nullptr;
    int in_ = -1;
};

/// Child side: prints a number for the parent.
void report(double value) {
    std::printf("%.9f\n", value);
    std::fflush(stdout);
}

/// Child side: waits for the parent's `signal`.
void proceed() {
    char go = 0;
    [[maybe_unused]] const auto got = ::read(STDIN_FILENO, &go, 1);
}

/// Child side of the held-call figures: warms up, reports its resident size, waits for the
/// parent, then sends `count` calls and waits for them.
int holdCalls(bool library, const std::string& gateway, int count, const std::optional<Tls>& tls) {
    if (library) {
        libraryInFlight(1, 1);
        useGateway(gateway + std::string(heldPrefix));
        report(static_cast<double>(residentKiB(getpid())));
        proceed();
        expectNoFailure(libraryInFlight(count, count), "held calls");
    } else {
        // The same calls as the library's, through one multi handle: the held ones find the
        // warm-up's connection, as the library's do.
        const std::string path = "/members/M1/loyaltyaccount/12/";
        PlainMulti plain(gateway + path, tls);
        expectNoFailure(plain.run(1, 1), "warm-up");
        plain.retarget(gateway + std::string(heldPrefix) + path);
        report(static_cast<double>(residentKiB(getpid())));
        proceed();
        expectNoFailure(plain.run(count, count), "held calls");
    }
    return 0;
}

/// Child side of the HTTP/2 burst figures: `count` calls at once from a fresh process; reports
/// the seconds they took, the connections they opened and the failures.
int burst(bool library, const std::string& gateway, int port, int count, const Tls& tls) {
    PlainMulti plain(gateway + "/members/M1/loyaltyaccount/12/", tls);  // kept until its connections are counted
    const double begin = monotonicSeconds();
    const int failures = library ? libraryInFlight(count, count) : plain.run(count, count);
    report(monotonicSeconds() - begin);
    report(connectionsTo(port));
    report(failures);
    return 0;
}

/// How a server holds calls: what happens before they go out, while they are held (returns once
/// all are), and what answers them.
struct Holding {
    std::function<void()> before, held, release;
};

/// Resident KiB per held call in a fresh process, so neither client reuses the other's memory.
double heldCallKiB(bool library, const std::string& gateway, int count, const Holding& holding,
                   const std::vector<std::string>& tlsArguments) {
    std::vector<std::string> arguments{"--hold", library ? "library" : "plain", gateway, std::to_string(count)};
    arguments.insert(arguments.end(), tlsArguments.begin(), tlsArguments.end());
    Child child(arguments);
    const double before = child.read();
    holding.before();
    child.signal();
    holding.held();
    const long during = residentKiB(child.pid());
    holding.release();
    child.wait();
    return (static_cast<double>(during) - before) / count;
}

/// An `nghttpd` serving the reply over TLS and HTTP/2 with the certificate in `pki`, for as long
/// as this lives.
class Nghttpd {
public:
    Nghttpd(const std::string& pki, const std::string& docs) {
        for (const char* prefix : {"", "/v1", "/hold"}) {
            const std::string folder = docs + prefix + "/members/M1/loyaltyaccount/12";
            std::filesystem::create_directories(folder);
            std::ofstream(folder + "/index.html") << replyBody;
        }
        port_ = freePort();
        std::string program = "nghttpd", address = "--address=127.0.0.1", htdocs = "--htdocs=" + docs,
                    port = std::to_string(port_), key = pki + "/server.key", cert = pki + "/server.pem";
        char* argv[] = {program.data(), address.data(), htdocs.data(), port.data(), key.data(), cert.data(), nullptr};
        if (posix_spawnp(&pid_, "nghttpd", nullptr, nullptr, argv, environ) != 0)
            throw std::runtime_error("cannot start nghttpd");
        for (int i = 0; i < 200 && !accepting(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~Nghttpd() {
        kill(pid_, SIGCONT);
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    Nghttpd(const Nghttpd&) = delete;
    Nghttpd& operator=(const Nghttpd&) = delete;

    [[nodiscard]] int port() const { return port_; }
    [[nodiscard]] std::string origin() const { return "https://127.0.0.1:" + std::to_string(port_); }
    void stop() const { kill(pid_, SIGSTOP); }
    void resume() const { kill(pid_, SIGCONT); }

private:
    static int freePort() {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(fd, reinterpret_cast<sockaddr*>(&address), length);
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        close(fd);
        return ntohs(address.sin_port);
    }
    [[nodiscard]] bool accepting() const {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(fd);
        return connected;
    }

    pid_t pid_ = 0;
    int port_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    Lumeno::shared().updateSettings([](LumenoSettings& settings) {
        settings.baseURL = "https://127.0.0.1";
        settings.apiKey = "bench-key";
        settings.tokenType = "JWT";
    });
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Child processes: --hold KIND GATEWAY COUNT [ORIGIN CAFILE], --burst KIND ORIGIN PORT COUNT CAFILE.
    if (!args.empty() && args[0].starts_with("--") && args[0] != "--h2") {
        const bool library = args.at(1) == "library";
        const std::string& gateway = args.at(2);
        if (args[0] == "--hold") {
            std::optional<Tls> tls;
            if (args.size() == 6) {
                useTlsGateway(args[4], args[5]);
                tls = Tls{args[5]};
            }
            useGateway(gateway);
            return holdCalls(library, gateway, std::stoi(args.at(3)), tls);
        }
        useTlsGateway(gateway, args.at(5));
        return burst(library, gateway + "/v1", std::stoi(args.at(3)), std::stoi(args.at(4)), Tls{args[5]});
    }

    // bench_calls_bench [rounds] [--h2 PKI_DIR]: PKI_DIR holds ca.pem, server.pem, server.key.
    int rounds = 7;
    std::optional<std::string> pki;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--h2" && i + 1 < args.size()) pki = args[++i];
        else rounds = std::max(1, std::stoi(args[i]));
    }
    constexpr int sequentialCalls = 3000;
    constexpr int inFlightCalls = 20000;
    constexpr int heldCalls = 1000;
    constexpr int startsPerRound = 10;

    LoopbackServer server;
    useGateway(server.url("/v1"));
    const std::string url = server.url("/v1/members/M1/loyaltyaccount/12/");
    PlainMulti plainMulti(url, std::nullopt);
    libraryInFlight(1000, 256);  // warm-up: connections, allocator, first-call set-up
    plainMulti.run(1000, 256);

    Figure sequentialRate, sequentialCpu, rate16, rate256, connections16, connections256, held, firstCall;
    Figure h2ColdConnections, h2BurstConnections, h2BurstSeconds, h2BurstFailures, h2Held;
    std::optional<Nghttpd> nghttpd;
    if (pki) nghttpd.emplace(*pki, *pki + "/htdocs");
    const auto benchFolder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    for (int round = 0; round < rounds; ++round) {
        // Each figure takes both sides back to back, the one first in turn, so that both meet the
        // machine in the same state: on a shared machine the load shifts within seconds.
        const auto bothSides = [&](const auto& measure) {
            for (const bool library : {round % 2 == 0, round % 2 != 0}) measure(library);
        };
        bothSides([&](bool library) {
            const Sample sequential = timeRound(server, sequentialCalls, [&] {
                if (library)
                    for (int i = 0; i < sequentialCalls; ++i) expectNoFailure(libraryInFlight(1, 1), "library");
                else plainSequential(url, sequentialCalls);
            });
            sequentialRate.add(library, sequential.rate);
            sequentialCpu.add(library, sequential.cpuMicros);
        });
        for (const int inFlight : {16, 256}) {
            bothSides([&](bool library) {
                const Sample sample = timeRound(server, inFlightCalls, [&] {
                    expectNoFailure(library ? libraryInFlight(inFlightCalls, inFlight)
                                            : plainMulti.run(inFlightCalls, inFlight),
                                    library ? "library" : "plain");
                });
                (inFlight == 16 ? rate16 : rate256).add(library, sample.rate);
                (inFlight == 16 ? connections16 : connections256).add(library, sample.connections);
            });
        }
        const Holding loopbackHolding{[] {}, [&] { server.waitHeld(heldCalls, std::chrono::seconds(30)); },
                                      [&] { server.release(); }};
        bothSides([&](bool library) {
            held.add(library, heldCallKiB(library, server.url(), heldCalls, loopbackHolding, {}));
        });
        // A start takes a few milliseconds and one is noisy: several per round.
        for (int start = 0; start < startsPerRound; ++start) {
            bothSides([&](bool library) {
                Child child({library ? server.url("/v1") : url},
                            benchFolder / (library ? "bench_first_call_library" : "bench_first_call_plain"));
                firstCall.add(library, (child.read() - child.started()) * 1e3);
                child.wait();
            });
        }
        if (!nghttpd) continue;
        const std::string port = std::to_string(nghttpd->port());
        for (const int count : {100, 1000}) {
            bothSides([&](bool library) {
                Child child({"--burst", library ? "library" : "plain", nghttpd->origin(), port,
                             std::to_string(count), *pki + "/ca.pem"});
                const double seconds = child.read(), connections = child.read(), failures = child.read();
                child.wait();
                if (count == 100) {
                    h2ColdConnections.add(library, connections);
                } else {
                    h2BurstConnections.add(library, connections);
                    h2BurstSeconds.add(library, seconds * 1e3);
                    h2BurstFailures.add(library, failures);
                }
            });
        }
        // nghttpd cannot hold a reply: it is stopped while the calls go out and for a second after.
        const Holding stopped{[&] { nghttpd->stop(); }, [] { std::this_thread::sleep_for(std::chrono::seconds(1)); },
                              [&] { nghttpd->resume(); }};
        bothSides([&](bool library) {
            h2Held.add(library, heldCallKiB(library, nghttpd->origin(), heldCalls, stopped,
                                            {nghttpd->origin(), *pki + "/ca.pem"}));
        });
    }

    std::printf("%d rounds, each figure from library and plain libcurl back to back; "
                "ratio = library median / plain median\n",
                rounds);
    std::printf("%-36s %12s %12s %12s %12s   %6s\n", "figure", "lib median", "lib min", "plain median",
                "plain min", "ratio");
    print("sequential calls", sequentialRate, "calls/s (higher is better)");
    print("client CPU per sequential call", sequentialCpu, "us (lower is better)");
    print("16 in flight", rate16, "calls/s (higher is better)");
    print("256 in flight", rate256, "calls/s (higher is better)");
    print("connections, 16 in flight", connections16, "accepted per 20,000 calls (fewer is better)");
    print("connections, 256 in flight", connections256, "accepted per 20,000 calls (fewer is better)");
    print("RSS per held call, 1000 held", held, "KiB (lower is better)");
    print("start to first completed call", firstCall, "ms from exec, programs of their own (lower is better)");
    if (nghttpd) {
        print("HTTP/2: connections, cold 100", h2ColdConnections, "TLS connections for 100 calls at once");
        print("HTTP/2: connections, 1000 at once", h2BurstConnections, "TLS connections (fewer is better)");
        print("HTTP/2: 1000 at once", h2BurstSeconds, "ms for all (lower is better)");
        print("HTTP/2: failures, 1000 at once", h2BurstFailures, "failed calls (must be 0)");
        print("HTTP/2: RSS per held call, 1000", h2Held, "KiB (lower is better)");
    } else {
        std::printf("HTTP/2 rows left out: no --h2 (scripts/bench.sh passes it when nghttpd is installed)\n");
    }
    curl_global_cleanup();
    return 0;
}
