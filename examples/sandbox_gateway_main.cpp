// Runs the sandbox gateway until interrupted, for trying the library by hand:
//   lumeno_sandbox_gateway [--port <port>]
// It listens on 127.0.0.1 (on an ephemeral port unless given one) and prints the settings that
// point a host at it.
#include <charconv>
#include <csignal>
#include <cstring>
#include <exception>
#include <iostream>

#include "sandbox/sandbox_gateway.hpp"

int main(int argc, char** argv) {
    int port = 0;
    if (argc == 3 && std::strcmp(argv[1], "--port") == 0) {
        const char* end = argv[2] + std::strlen(argv[2]);
        const auto [ptr, ec] = std::from_chars(argv[2], end, port);
        if (ec != std::errc{} || ptr != end || port < 1 || port > 65535) port = -1;
    } else if (argc != 1) {
        port = -1;
    }
    if (port < 0) {
        std::cerr << "usage: " << argv[0] << " [--port <1-65535>]\n";
        return 2;
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    using lumeno::sandbox::SandboxGateway;
    try {
        SandboxGateway gateway(port);
        std::cout << "Sandbox gateway listening on " << gateway.baseURL() << " (Ctrl-C stops it).\n"
                  << "Member " << SandboxGateway::username << ", password \"" << SandboxGateway::password << "\".\n"
                  << "Point a host at it with the settings\n"
                  << "    tenant  = \"" << gateway.gatewayURL() << "\"   (\"api_gateway\")\n"
                  << "    baseURL = \"" << gateway.baseURL() << "\"   (\"base_url\")\n"
                  << "or with its sample configuration: " << gateway.baseURL() << SandboxGateway::samplePlistPath
                  << "\n"
                  << std::flush;
        int received = 0;
        sigwait(&signals, &received);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}
