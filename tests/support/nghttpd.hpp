#pragma once

// An nghttpd (package nghttp2-server) on 127.0.0.1, speaking HTTP/2 over TLS with the server
// certificate of the tests' root, for the tests of multiplexing.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lumeno::test {

class Nghttpd {
public:
    /// Starts nghttpd answering GET `path` with `body`; nullopt when nghttpd is not installed
    /// or does not start.
    static std::optional<Nghttpd> start(std::string_view path, std::string_view body);

    Nghttpd(Nghttpd&& other) noexcept;
    Nghttpd& operator=(Nghttpd&&) = delete;
    ~Nghttpd();

    /// "https://127.0.0.1:<port><path>".
    [[nodiscard]] std::string url(std::string_view path = "") const;
    /// The HTTP/2 connections nghttpd has served so far (its log's session ids).
    [[nodiscard]] std::size_t connectionCount() const;

private:
    Nghttpd(std::filesystem::path folder, pid_t pid, int port) : folder_(std::move(folder)), pid_(pid), port_(port) {}

    std::filesystem::path folder_;  ///< certificate, key, documents and log
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace lumeno::test
