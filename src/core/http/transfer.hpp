#pragma once

// One transfer of the session: what it sends, the easy handle that carries it, the reply as it
// arrives, and how it ends. A record lives while its call is in flight, and a thousand calls
// held at once hold a thousand records: it keeps only what the transfer reads while it runs.

#include <curl/curl.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "core/http/destinations.hpp"
#include "core/http/pinned_roots.hpp"
#include "core/http/session.hpp"

namespace lumeno::detail {

/// Why a callback stopped its transfer.
struct Abort {
    LumenoError::TransportFailure failure;
    std::string message;
};

/// What a request sends as libcurl reads it, in one block of memory: the header list's nodes
/// first, then the body and the NUL-ended header lines the nodes point at. The block keeps its
/// room for the record's later requests, unless a large body made it large.
class RequestText {
public:
    /// Lays out `body` and the request's header fields, each as "name: value" ("name;"
    /// when the value is empty), then for a request that `sendsBody` "Expect:" (no 100-continue
    /// round trip) and, without a content type, "Content-Type:" (libcurl adds none of its own).
    void assign(std::string_view body, const HttpHeaders& fields, bool sendsBody);
    /// For a redirect: without the body and the lines naming "Content-Type" when `toGet` (one
    /// that turns the request into a GET).
    void redirect(bool toGet);
    /// Once the transfer ended: lets go of a block larger than a request without a large body
    /// takes, so that a kept record does not hold an upload's room.
    void trim();

    [[nodiscard]] std::string_view body() const { return {text(), bodySize_}; }
    /// The first node of the header list; null when there is none.
    [[nodiscard]] curl_slist* list() const {
        return lines_ == 0 ? nullptr : std::launder(reinterpret_cast<curl_slist*>(block_.get()));
    }

private:
    /// Makes room for `lines` nodes and `textSize` bytes of text, keeping the block when it fits.
    void reserve(std::size_t lines, std::size_t textSize);
    /// Lays out `body` and the lines `eachLine(add)` hands to `add`, each as the pieces it is
    /// joined from.
    template <class EachLine>
    void lay(std::string_view body, EachLine eachLine);
    [[nodiscard]] char* text() const { return reinterpret_cast<char*>(block_.get() + lines_ * sizeof(curl_slist)); }

    std::unique_ptr<std::byte[]> block_;
    std::size_t capacity_ = 0;  ///< of the block, in bytes
    std::size_t bodySize_ = 0;
    std::uint32_t lines_ = 0;  ///< nodes in the block
};

struct Transfer {
    TransferId id = 0;
    std::uint32_t slot = 0;  ///< its place among the session's transfers in flight
    HttpMethod method = HttpMethod::get;
    std::uint8_t redirects = 0;
    bool tls : 1 = false;
    bool guardConnections : 1 = false;
    bool headersEnded : 1 = false;  ///< the current reply's header block reached its empty line
    TransferDone done;
    std::shared_ptr<const PinnedRoots> roots;  ///< kept while the transfer runs; TLS transfers only
    std::shared_ptr<const std::string> pinnedHost;

    CURL* easy = nullptr;  ///< this record's; kept with it while the session keeps it for later transfers
    UrlHandle url;         ///< the URL as parsed when the request was built, which libcurl sends from
    std::string urlText;   ///< the URL the request (or the redirect followed) names, which the reply takes
    RequestText text;
    std::unique_ptr<Response> response;  ///< from the reply's first header line
    std::unique_ptr<Abort> abort;
    char error[CURL_ERROR_SIZE];  ///< emptied when the transfer is set up

    /// What the easy handle was last given, where a kept record's next request mostly gives it
    /// the same: libcurl holds each as given until it is given another, so only a change is set.
    struct Given {
        CURLU* url = nullptr;
        curl_slist* lines = nullptr;
        const PinnedRoots* roots = nullptr;
        const char* method = nullptr;  ///< the name of a method of its own; null: GET or POST
        bool get = false;              ///< sends no body: given since the last body was
        long connectMs = -1;
        long totalMs = -1;
        long pipeWait = -1;
    } given;

    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
};

/// A new easy handle for `transfer`, with the options that never change.
CURL* newEasyHandle(Transfer& transfer);

/// Takes what `transfer` sends from `request` (its URL already parsed) and sets up
/// `transfer.easy` for it, with `timeouts`, which hold for the redirects it follows too.
void configure(Transfer& transfer, HttpRequest&& request, const TransportTimeouts& timeouts);

/// The outcome of a transfer libcurl finished with `code`; nullopt when it is a redirect the
/// session follows: `transfer` is then set up for the next request, to start again.
std::optional<Result<Response>> outcome(Transfer& transfer, CURLcode code);

/// The sockets the tests' connect guard refused so far.
std::atomic<std::size_t>& refusedConnections();

}  // namespace lumeno::detail
