// A plain libcurl program's first call, for the call benchmark's start-up row: one GET of the
// URL given with the library's headers, then the monotonic clock printed when it completes.
// It is a C++ program, as the library's hosts are, and so loads the C++ runtime as they do.

#include <curl/curl.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace {
std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string url = argv[1], apiKey = "bench-key", token = "bench-token";
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* easy = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, ("x-api-key: " + apiKey).c_str());
    headers = curl_slist_append(headers, ("Authorization: JWT " + token).c_str());
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
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
