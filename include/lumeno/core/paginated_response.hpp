#pragma once

#include <optional>
#include <string>

namespace lumeno {

/// One page of a list reply. The cursors are whole URLs taken from the reply's "prev" and
/// "next" headers; pass one back to the matching `...FromCursor` call for the next page.
template <class T>
struct PaginatedResponse {
    std::optional<std::string> previousCursor;  ///< the "prev" header; nullopt on the first page
    std::optional<std::string> nextCursor;      ///< the "next" header; nullopt on the last page
    T content;                                  ///< the page's records
};

}  // namespace lumeno
