// Decoding a reply: a 1 MB page of 760 member profiles and a 1 MB page of 300 realistic offers,
// each decoded through the library from the reply's bytes to records
// (`decodePaginatedResponse`: parse, one decoding context, every key by its rule, dates,
// attribute maps, nested records), beside a plain Boost.JSON parse of the same bytes into a DOM;
// and a point balance of 115 bytes (`decodeResponse`), the size of most replies, 1000 at a time.
// The two take turns, run by run, within each round; each figure prints the median and the
// minimum over the rounds of both in MB/s of CPU time and the ratio library / plain (1.0 = the
// records cost no more than a plain parse).
//
//   bench_decode_bench [rounds]          (default 9 rounds)

#include <boost/json.hpp>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "api/response_decoding.hpp"
#include "lumeno/models/member/balances.hpp"
#include "lumeno/models/member/member_details.hpp"
#include "lumeno/models/offers/offer.hpp"
#include "pages.hpp"

using namespace lumeno;

namespace {

/// The CPU time of this thread: decoding runs on one thread, and on a shared machine the time
/// the thread waits for a CPU is no part of the figure.
double threadSeconds() {
    timespec spent{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &spent);
    return static_cast<double>(spent.tv_sec) + static_cast<double>(spent.tv_nsec) * 1e-9;
}

struct Figure {
    std::vector<double> library;
    std::vector<double> plain;
};

/// One round: the library and the plain parse take turns over `body`, one run each, for about
/// half a second of CPU time, so that both meet the same load; adds each side's MB/s to `figure`.
void round(Figure& figure, std::size_t bytes, bool libraryFirst, const std::function<void()>& library,
           const std::function<void()>& plain) {
    double librarySeconds = 0, plainSeconds = 0;
    int runs = 0;
    const auto timed = [](const std::function<void()>& once) {
        const double begin = threadSeconds();
        once();
        return threadSeconds() - begin;
    };
    do {
        if (libraryFirst) librarySeconds += timed(library);
        plainSeconds += timed(plain);
        if (!libraryFirst) librarySeconds += timed(library);
        ++runs;
    } while (librarySeconds + plainSeconds < 0.5);
    const double megabytes = static_cast<double>(bytes) * runs / 1e6;
    figure.library.push_back(megabytes / librarySeconds);
    figure.plain.push_back(megabytes / plainSeconds);
}

void plainParse(const std::string& body) {
    boost::system::error_code ec;
    const JsonValue dom = boost::json::parse(body, ec);
    if (ec || !dom.is_array()) std::abort();
}

template <class T>
void libraryDecode(const detail::ProviderResult& reply, std::size_t count) {
    const auto page = detail::decodePaginatedResponse<T>(reply);
    if (!page || page->content.size() != count) std::abort();
}

/// A small reply is decoded this many times in one timed run.
constexpr int kSmallBatch = 1000;

void plainParseSmall(const std::string& body) {
    for (int i = 0; i < kSmallBatch; ++i) {
        boost::system::error_code ec;
        const JsonValue dom = boost::json::parse(body, ec);
        if (ec || !dom.is_object()) std::abort();
    }
}

void libraryDecodeSmall(const detail::ProviderResult& reply) {
    for (int i = 0; i < kSmallBatch; ++i) {
        const auto balance = detail::decodeResponse<PendingPointBalance>(reply);
        if (!balance || balance->pendingPoints != 200.25) std::abort();
    }
}

double median(std::vector<double> values) {
    std::ranges::sort(values);
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void print(const char* name, const Figure& figure) {
    const double libraryMedian = median(figure.library);
    const double plainMedian = median(figure.plain);
    std::printf("%-34s %12.1f %12.1f %12.1f %12.1f   %6.2f  MB/s (higher is better)\n", name, libraryMedian,
                std::ranges::min(figure.library), plainMedian, std::ranges::min(figure.plain),
                libraryMedian / plainMedian);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const std::string offers = bench::offersPage(bench::kOffers);
    const std::string members = bench::membersPage();
    const detail::ProviderResult offersReply = Response{.statusCode = 200, .data = offers, .headers = {}, .url = ""};
    const detail::ProviderResult membersReply = Response{.statusCode = 200, .data = members, .headers = {}, .url = ""};
    const std::string balance = bench::kPointBalance;
    const detail::ProviderResult balanceReply = Response{.statusCode = 200, .data = balance, .headers = {}, .url = ""};

    Figure offersFigure, membersFigure, balanceFigure;
    for (int each = 0; each < rounds; ++each) {
        round(
            membersFigure, members.size(), each % 2 == 0,
            [&] { libraryDecode<MemberDetails>(membersReply, bench::kMembers); }, [&] { plainParse(members); });
        round(offersFigure, offers.size(), each % 2 == 0, [&] { libraryDecode<Offer>(offersReply, bench::kOffers); },
              [&] { plainParse(offers); });
        round(
            balanceFigure, balance.size() * kSmallBatch, each % 2 == 0, [&] { libraryDecodeSmall(balanceReply); },
            [&] { plainParseSmall(balance); });
    }

    std::printf("%d rounds, library decoding and a plain Boost.JSON parse alternating; ratio = library median / "
                "plain median\n",
                rounds);
    std::printf("%-34s %12s %12s %12s %12s   %6s\n", "figure", "lib median", "lib min", "plain median", "plain min",
                "ratio");
    char name[64];
    std::snprintf(name, sizeof name, "decode %d members (%.2f MB)", bench::kMembers, members.size() / 1e6);
    print(name, membersFigure);
    std::snprintf(name, sizeof name, "decode %d offers (%.2f MB)", bench::kOffers, offers.size() / 1e6);
    print(name, offersFigure);
    std::snprintf(name, sizeof name, "decode a point balance (%zu B)", balance.size());
    print(name, balanceFigure);
    return 0;
}
