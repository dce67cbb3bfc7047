// Peak memory while a 40 MB page of offers is received and decoded: the library's `getOffers`
// page call beside a plain libcurl transfer into a string and a plain `boost::json::parse` of
// the same reply, each in a fresh child process against the same loopback server. A child
// warms up with a small reply of the same call, notes its resident size, receives the page and
// keeps what it made of it (the records; the DOM), then reports its peak resident size. The
// figure is the peak above the size before the page, in MiB; rounds alternate the two sides.
//
//   bench_decode_memory_bench [rounds]          (default 3 rounds)

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "lumeno/api/lumeno_request.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/main_queue.hpp"
#include "pages.hpp"
#include "support/fake_server.hpp"

using namespace lumeno;

namespace {

constexpr int kOffers = 12'000;  // about 40 MB

/// "VmRSS" or "VmHWM" of this process, in KiB.
long statusKiB(std::string_view field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field)) return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    return 0;
}

std::size_t offersOnLibraryPage(const std::string& tenant) {
    Lumeno::shared().updateSettings([&](LumenoSettings& settings) { settings.tenant = tenant; });
    bool done = false;
    std::optional<PaginatedResponse<std::vector<Offer>>> page;
    LumenoRequest::getOffers("bench-token", 100, [&](Result<PaginatedResponse<std::vector<Offer>>> result) {
        if (!result) throw std::runtime_error("the page call failed: " + result.error().detail());
        page = std::move(*result);
        done = true;
    });
    if (!MainQueue::shared().runUntil([&] { return done; }, std::chrono::seconds(120)))
        throw std::runtime_error("the page call did not finish");
    static std::vector<PaginatedResponse<std::vector<Offer>>> kept;  // the records stay, as a host's would
    kept.push_back(std::move(*page));
    return kept.back().content.size();
}

std::size_t write(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

std::size_t offersOnPlainPage(const std::string& url) {
    CURL* easy = curl_easy_init();
    std::string body;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, write);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    if (curl_easy_perform(easy) != CURLE_OK) throw std::runtime_error("the plain transfer failed");
    curl_easy_cleanup(easy);
    static std::vector<JsonValue> kept;  // the DOM stays, as a plain program's would
    kept.push_back(boost::json::parse(body));
    return kept.back().as_array().size();
}

/// Child side: warms up, then receives the page; prints the resident KiB before it and the peak.
int child(bool library, const std::string& base) {
    if (library) {
        Lumeno::shared().updateSettings([](LumenoSettings& settings) {
            settings.baseURL = "https://127.0.0.1";
            settings.apiKey = "bench-key";
            settings.tokenType = "JWT";
        });
    }
    const auto receive = [&](std::string_view prefix) {
        return library ? offersOnLibraryPage(base + std::string(prefix))
                       : offersOnPlainPage(base + std::string(prefix) + "/offers/?page_size=100");
    };
    receive("/warm");
    const long before = statusKiB("VmRSS:");
    if (receive("/v1") != kOffers) throw std::runtime_error("the page lost offers");
    std::printf("%ld %ld\n", before, statusKiB("VmHWM:"));
    return 0;
}

/// MiB above the size before the page, at the peak of a fresh child process.
double peakMiB(const test::FakeServer& server, bool library) {
    // The server's address is all the command adds to this program's own path.
    const std::string command = std::filesystem::read_symlink("/proc/self/exe").string() + " --child " +
                                (library ? "library " : "plain ") + server.url();
    FILE* child = popen(command.c_str(), "r");
    if (child == nullptr) throw std::runtime_error("cannot start the child process");
    long before = 0, peak = 0;
    const bool read = std::fscanf(child, "%ld %ld", &before, &peak) == 2;
    if (pclose(child) != 0 || !read) throw std::runtime_error("the child process failed");
    return static_cast<double>(peak - before) / 1024;
}

double median(std::vector<double> values) {
    std::ranges::sort(values);
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    if (argc == 4 && std::string_view(argv[1]) == "--child")
        return child(std::string_view(argv[2]) == "library", argv[3]);

    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string page = bench::offersPage(kOffers);
    test::FakeServer server;
    server.on("GET", "/warm/offers/", test::Reply::json("[]"));
    server.on("GET", "/v1/offers/", test::Reply::json(page));

    std::vector<double> library, plain;
    for (int round = 0; round < rounds; ++round)
        for (const bool side : {round % 2 == 0, round % 2 != 0})
            (side ? library : plain).push_back(peakMiB(server, side));

    std::printf("%d rounds, each side in a fresh process, alternating; ratio = library median / plain median\n",
                rounds);
    std::printf("%-34s %12s %12s %12s %12s   %6s\n", "figure", "lib median", "lib min", "plain median", "plain min",
                "ratio");
    char name[64];
    std::snprintf(name, sizeof name, "peak memory, %.1f MB offers page", static_cast<double>(page.size()) / 1e6);
    std::printf("%-34s %12.1f %12.1f %12.1f %12.1f   %6.2f  MiB above the size before it (lower is better)\n", name,
                median(library), std::ranges::min(library), median(plain), std::ranges::min(plain),
                median(library) / median(plain));
    curl_global_cleanup();
    return 0;
}
