// One offers page of 300 realistic offers (about 1 MB): decoded through the library from the
// reply's bytes to records (`decodePaginatedResponse<Offer>`: parse, one decoding context,
// every key by its rule, dates, attribute maps, sponsors and products), beside a plain
// Boost.JSON parse of the same bytes into a DOM. Both report MB/s; the library also reports
// its throughput as a share of the plain parse's ("ratio", 1.0 = as fast). "RecordsFromDom"
// shows the records' share alone: the same page decoded from an already parsed DOM.

#include <benchmark/benchmark.h>

#include <boost/json.hpp>

#include <optional>
#include <string>

#include "api/response_decoding.hpp"
#include "lumeno/models/offers/offer.hpp"
#include "support/offer_sample.hpp"

using namespace lumeno;

namespace {

constexpr int kOffers = 300;

/// The page: the sample offer 300 times over, each with its own ids, names and dates.
const std::string& page() {
    static const std::string body = [] {
        const JsonValue sample = boost::json::parse(test::realisticOffer);
        JsonArray offers;
        for (int i = 0; i < kOffers; ++i) {
            JsonObject offer = sample.as_object();
            const std::string n = std::to_string(i);
            offer["id"] = 4000 + i;
            offer["offer_name"] = "Double points on weekend brunch #" + n;
            offer["start_date"] = "2024-03-" + std::string(i % 28 < 9 ? "0" : "") + std::to_string(i % 28 + 1) +
                                  "T00:00:00+0800";
            offer["primary_sponsor_data"].as_object()["id"] = 10 + i % 40;
            offer["primary_sponsor_data"].as_object()["name"] = "Cafe Central " + n;
            for (auto& product : offer["products"].as_array()) product.as_object()["id"] = 800 + 2 * i;
            offers.push_back(std::move(offer));
        }
        return boost::json::serialize(offers);
    }();
    return body;
}

std::optional<double> plainBytesPerSecond;

/// Runs `once` per iteration and reports MB/s; returns bytes per second.
template <class Once>
double measure(benchmark::State& state, Once once) {
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) once();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double bytes = static_cast<double>(page().size()) * static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["MB_per_s"] = bytes / seconds / 1e6;
    state.counters["page_bytes"] = static_cast<double>(page().size());
    return bytes / seconds;
}

void PlainParse(benchmark::State& state) {
    plainBytesPerSecond = measure(state, [] {
        boost::system::error_code ec;
        JsonValue dom = boost::json::parse(page(), ec);
        if (ec) std::abort();
        benchmark::DoNotOptimize(dom);
    });
}

void LibraryDecode(benchmark::State& state) {
    const detail::ProviderResult reply = Response{.statusCode = 200, .data = page(), .headers = {{"next", "n"}}, .url = ""};
    const double rate = measure(state, [&] {
        auto result = detail::decodePaginatedResponse<Offer>(reply);
        if (!result || result->content.size() != kOffers) state.SkipWithError("the page did not decode");
        benchmark::DoNotOptimize(result);
    });
    if (plainBytesPerSecond) state.counters["ratio"] = rate / *plainBytesPerSecond;
}

void RecordsFromDom(benchmark::State& state) {
    const JsonValue dom = boost::json::parse(page());
    measure(state, [&] {
        auto offers = json::decodeValue<std::vector<Offer>>(dom, Decoder::withFreshContext());
        benchmark::DoNotOptimize(offers);
    });
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("PlainParse", PlainParse)->UseRealTime();
    benchmark::RegisterBenchmark("LibraryDecode", LibraryDecode)->UseRealTime();
    benchmark::RegisterBenchmark("RecordsFromDom", RecordsFromDom)->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
