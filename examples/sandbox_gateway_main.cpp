// Runs the sandbox gateway until interrupted, for trying the library by hand.
#include <csignal>
#include <iostream>

#include "sandbox/sandbox_gateway.hpp"

int main() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    lumeno::sandbox::SandboxGateway gateway;
    std::cout << "Sandbox gateway listening: api_gateway = " << gateway.gatewayURL() << "\n"
              << "Member " << lumeno::sandbox::SandboxGateway::username << ", password \""
              << lumeno::sandbox::SandboxGateway::password << "\". Ctrl-C stops it.\n"
              << std::flush;
    int received = 0;
    sigwait(&signals, &received);
    return 0;
}
