#pragma once

// The roots TLS transfers trust: the pinned roots embedded in the library (tests may put others
// in their place), in one certificate store built once and shared by every TLS connection.

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct x509_store_st;  // OpenSSL's X509_STORE

namespace lumeno::detail {

class PinnedRoots {
public:
    /// The roots transfers started from now on trust.
    static std::shared_ptr<const PinnedRoots> current();

    /// Replaces the roots by `pem` (nullopt: the embedded ones) for the transfers started from
    /// now on.
    static void replace(std::optional<std::string> pem);

    explicit PinnedRoots(std::string_view pem);
    ~PinnedRoots();
    PinnedRoots(const PinnedRoots&) = delete;
    PinnedRoots& operator=(const PinnedRoots&) = delete;

    /// Makes a TLS transfer trust these roots alone. They must outlive the transfer.
    void applyTo(CURL* easy) const;

private:
    static CURLcode installStore(CURL*, void* sslContext, void* self);

    x509_store_st* store_;
};

}  // namespace lumeno::detail
