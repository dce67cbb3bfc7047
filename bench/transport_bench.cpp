// Small GETs against the fake platform server on loopback: through the library's provider
// (hook, session I/O thread, main-queue delivery), and through a plain libcurl easy handle
// reusing its connection. Both report requests per second and the median latency; the
// provider also reports its throughput as a share of the plain loop's ("ratio").

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

#include "core/http/provider.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/main_queue.hpp"
#include "support/fake_server.hpp"

using namespace lumeno;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* replyBody = R"([{"name":"Philippines","code":"PH"}])";

lumeno::test::FakeServer& server() {
    static lumeno::test::FakeServer instance;
    return instance;
}

std::optional<double> plainRequestsPerSecond;

/// Times each iteration of `once` and reports the rate and median latency.
template <class Once>
double measure(benchmark::State& state, Once once) {
    std::vector<double> micros;
    const auto start = Clock::now();
    for (auto _ : state) {
        const auto begin = Clock::now();
        once();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - begin).count());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::ranges::nth_element(micros, micros.begin() + static_cast<std::ptrdiff_t>(micros.size() / 2));
    const double rate = static_cast<double>(micros.size()) / seconds;
    state.counters["requests_per_s"] = rate;
    state.counters["median_us"] = micros.empty() ? 0.0 : micros[micros.size() / 2];
    return rate;
}

std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

void PlainCurlEasyLoop(benchmark::State& state) {
    CURL* easy = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "x-api-key: bench-key");
    headers = curl_slist_append(headers, "Authorization: JWT bench-token");
    const std::string url = server().url("/countries/");
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    plainRequestsPerSecond = measure(state, [&] {
        if (curl_easy_perform(easy) != CURLE_OK) state.SkipWithError("plain request failed");
    });
    curl_slist_free_all(headers);
    curl_easy_cleanup(easy);
}

void Provider(benchmark::State& state) {
    const detail::Provider provider = detail::makeProvider();
    const double rate = measure(state, [&] {
        bool done = false;
        provider.request(detail::service::GetCountries{"bench-token"}, [&](detail::ProviderResult result) {
            if (!result || result->statusCode != 200) state.SkipWithError("provider request failed");
            done = true;
        });
        MainQueue::shared().runUntil([&] { return done; }, std::chrono::seconds(10));
    });
    if (plainRequestsPerSecond) state.counters["ratio"] = rate / *plainRequestsPerSecond;
}

}  // namespace

int main(int argc, char** argv) {
    server().otherwise(lumeno::test::Reply::json(replyBody));
    Lumeno::shared().updateSettings([](LumenoSettings& settings) {
        settings.tenant = server().url();
        settings.baseURL = "https://127.0.0.1";
        settings.apiKey = "bench-key";
        settings.tokenType = "JWT";
    });

    benchmark::RegisterBenchmark("PlainCurlEasyLoop", PlainCurlEasyLoop)->UseRealTime();
    benchmark::RegisterBenchmark("Provider", Provider)->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
