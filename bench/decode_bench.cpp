// Decoding a reply: a 1 MB page of 760 member profiles and a 1 MB page of 300 realistic offers,
// each decoded through the library from the reply's bytes to records
// (`decodePaginatedResponse`: parse, one decoding context, every key by its rule, dates,
// attribute maps, nested records), beside a plain Boost.JSON parse of the same bytes into a DOM.
// Rounds alternate between the two; each figure prints the median and the minimum of both in
// MB/s and the ratio library / plain (1.0 = the records cost no more than a plain parse).
//
//   bench_decode_bench [rounds]          (default 9 rounds)

#include <boost/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "api/response_decoding.hpp"
#include "lumeno/models/member/member_details.hpp"
#include "lumeno/models/offers/offer.hpp"
#include "pages.hpp"

using namespace lumeno;

namespace {

using Clock = std::chrono::steady_clock;

/// MB/s of `once` over `body`, repeated for about a fifth of a second.
double rate(const std::string& body, const std::function<void()>& once) {
    int runs = 0;
    const auto begin = Clock::now();
    double seconds = 0;
    do {
        once();
        ++runs;
        seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    } while (seconds < 0.2);
    return static_cast<double>(body.size()) * runs / seconds / 1e6;
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

struct Figure {
    std::vector<double> library;
    std::vector<double> plain;
};

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

    Figure offersFigure, membersFigure;
    for (int round = 0; round < rounds; ++round) {
        for (const bool library : {round % 2 == 0, round % 2 != 0}) {
            if (library) {
                membersFigure.library.push_back(rate(members, [&] { libraryDecode<MemberDetails>(membersReply, bench::kMembers); }));
                offersFigure.library.push_back(rate(offers, [&] { libraryDecode<Offer>(offersReply, bench::kOffers); }));
            } else {
                membersFigure.plain.push_back(rate(members, [&] { plainParse(members); }));
                offersFigure.plain.push_back(rate(offers, [&] { plainParse(offers); }));
            }
        }
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
    return 0;
}
