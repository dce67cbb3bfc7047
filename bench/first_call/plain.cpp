// A plain libcurl program's first call, for the call benchmark's start-up row: one GET of the
// URL given with the library's headers, then the monotonic clock printed when it completes.

#include <curl/curl.h>

#include <cstdio>
#include <ctime>

namespace {
std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* easy = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "x-api-key: bench-key");
    headers = curl_slist_append(headers, "Authorization: JWT bench-token");
    curl_easy_setopt(easy, CURLOPT_URL, argv[1]);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    const bool ok = curl_easy_perform(easy) == CURLE_OK;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%ld.%09ld\n", static_cast<long>(now.tv_sec), now.tv_nsec);
    curl_easy_cleanup(easy);
    curl_slist_free_all(headers);
    curl_global_cleanup();
    return ok ? 0 : 1;
}
