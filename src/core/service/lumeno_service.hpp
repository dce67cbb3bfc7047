#pragma once

// Placeholder until the endpoint cases land: one case per endpoint, as a struct in
// `lumeno::detail::service` named after the case (PascalCase) with the case's labels as
// fields in label order; `LumenoService` is the variant of them all.

#include <string>
#include <variant>

#include "core/service/http_request.hpp"
#include "lumeno/core/result.hpp"

namespace lumeno::detail {

namespace service {
struct Login {
    std::string username;
    std::string password;
};
}  // namespace service

using LumenoService = std::variant<service::Login>;

/// The request of a case: URL, method, body or query, headers. No I/O. Fails with
/// `requestMapping` when the gateway or cursor text is no valid URL.
Result<HttpRequest> endpoint(const LumenoService& service);

}  // namespace lumeno::detail
