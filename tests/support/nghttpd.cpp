#include "support/nghttpd.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <set>
#include <thread>
#include <utility>

#include "support/fake_server.hpp"

extern char** environ;

namespace lumeno::test {
namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

/// A port free on 127.0.0.1 a moment ago.
int freePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

bool accepting(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(port);
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

std::optional<std::string> installedNghttpd() {
    for (const char* folder : {"/usr/sbin", "/usr/bin", "/usr/local/sbin", "/usr/local/bin"})
        if (const std::string path = std::string(folder) + "/nghttpd"; access(path.c_str(), X_OK) == 0) return path;
    return std::nullopt;
}

}  // namespace

std::optional<Nghttpd> Nghttpd::start(std::string_view path, std::string_view body) {
    const auto program = installedNghttpd();
    if (!program) return std::nullopt;
    std::string folderTemplate = (std::filesystem::temp_directory_path() / "lumeno-nghttpd-XXXXXX").string();
    if (!mkdtemp(folderTemplate.data())) return std::nullopt;
    const std::filesystem::path folder = folderTemplate;
    std::ofstream(folder / "server.pem") << TestPki::shared().serverPem;
    std::ofstream(folder / "server.key") << TestPki::shared().serverKeyPem;
    // A path ending in "/" is served from the folder's index.html.
    std::filesystem::path document = folder / "htdocs" / std::filesystem::path(path).relative_path();
    if (std::string_view(path).ends_with('/')) document /= "index.html";
    std::filesystem::create_directories(document.parent_path());
    std::ofstream(document) << body;

    const int port = freePort();
    std::string log = (folder / "log").string();
    // stdbuf: nghttpd's log reaches the file line by line, so that it can be read while it runs.
    std::string arguments[] = {"/usr/bin/stdbuf", "-oL", *program, "--verbose", "--address=127.0.0.1", "--htdocs=" + (folder / "htdocs").string(),
                               std::to_string(port), (folder / "server.key").string(), (folder / "server.pem").string()};
    char* argv[std::size(arguments) + 1] = {};
    for (std::size_t i = 0; i < std::size(arguments); ++i) argv[i] = arguments[i].data();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    Nghttpd server(folder, spawned ? pid : -1, port);
    if (!spawned) return std::nullopt;
    for (int i = 0; i < 500 && !accepting(port); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!accepting(port)) return std::nullopt;
    return server;
}

Nghttpd::Nghttpd(Nghttpd&& other) noexcept
    : folder_(std::move(other.folder_)), pid_(std::exchange(other.pid_, -1)), port_(other.port_) {
    other.folder_.clear();
}

Nghttpd::~Nghttpd() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

std::string Nghttpd::url(std::string_view path) const {
    return "https://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::size_t Nghttpd::connectionCount() const {
    // The verbose log's lines start with the id of their connection, "[id=3] [ 0.001] ...", and
    // each HTTP/2 connection begins with the server's SETTINGS (a connection that never spoke
    // HTTP/2, such as the probe of `start`, sends none).
    std::set<std::string> ids;
    std::ifstream log(folder_ / "log");
    for (std::string line; std::getline(log, line);)
        if (line.starts_with("[id=") && line.find("send SETTINGS frame") != std::string::npos)
            ids.insert(line.substr(4, line.find(']') - 4));
    return ids.size();
}

}  // namespace lumeno::test
