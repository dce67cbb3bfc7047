#pragma once

// One transfer of the session: its request, the easy handle that carries it, the reply as it
// arrives, and how it ends.

#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/http/destinations.hpp"
#include "core/http/pinned_roots.hpp"
#include "core/http/session.hpp"

namespace lumeno::detail {

/// Why a callback stopped its transfer.
struct Abort {
    LumenoError::TransportFailure failure;
    std::string message;
};

struct Transfer {
    TransferId id = 0;
    std::size_t slot = 0;  ///< its place among the session's transfers in flight
    HttpRequest request;
    std::string pinnedHost;
    TransferDone done;
    std::shared_ptr<const PinnedRoots> roots;  ///< kept while the transfer runs; TLS transfers only
    TransportTimeouts timeouts;
    bool guardConnections = false;

    CURL* easy = nullptr;  ///< this record's; kept with it while the session keeps it for later transfers
    /// The request's header lines as libcurl reads them: a list whose nodes point into one
    /// buffer of NUL-ended lines, both kept here (libcurl only reads the list).
    std::string headerLines;
    std::vector<curl_slist> headerList;
    Response response;
    bool headersEnded = false;  ///< the current reply's header block reached its empty line
    std::optional<Abort> abort;
    int redirects = 0;
    char error[CURL_ERROR_SIZE];  ///< emptied when the transfer is set up

    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
};

/// A new easy handle for `transfer`, with the options that never change.
CURL* newEasyHandle(Transfer& transfer);

/// Sets up `transfer.easy` for the transfer's current request.
void configure(Transfer& transfer);

/// The outcome of a transfer libcurl finished with `code`; nullopt when it is a redirect the
/// session follows: `transfer` then holds the next request, to configure and start again.
std::optional<Result<Response>> outcome(Transfer& transfer, CURLcode code);

/// The transfer's failure, with the reply when one had arrived.
Result<Response> failed(Transfer& transfer, std::string message, LumenoError::TransportFailure failure);

/// The sockets the tests' connect guard refused so far.
std::atomic<std::size_t>& refusedConnections();

}  // namespace lumeno::detail
