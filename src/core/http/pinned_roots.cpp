#include "core/http/pinned_roots.hpp"

#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <mutex>

#include "core/resources.hpp"

namespace lumeno::detail {
namespace {

struct Current {
    std::mutex mutex;
    std::shared_ptr<const PinnedRoots> roots;  ///< null until first needed: the embedded roots

    static Current& shared() {
        static Current current;
        return current;
    }
};

}  // namespace

std::shared_ptr<const PinnedRoots> PinnedRoots::current() {
    Current& current = Current::shared();
    std::lock_guard lock(current.mutex);
    if (!current.roots) current.roots = std::make_shared<const PinnedRoots>(embeddedRootsPem());
    return current.roots;
}

void PinnedRoots::replace(std::optional<std::string> pem) {
    auto roots = pem ? std::make_shared<const PinnedRoots>(*pem) : nullptr;
    Current& current = Current::shared();
    std::lock_guard lock(current.mutex);
    current.roots = std::move(roots);
}

PinnedRoots::PinnedRoots(std::string_view pem) : store_(X509_STORE_new()) {
    const std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())),
                                                        BIO_free);
    while (X509* cert = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) {
        X509_STORE_add_cert(store_, cert);
        X509_free(cert);
    }
}

PinnedRoots::~PinnedRoots() { X509_STORE_free(store_); }

void PinnedRoots::applyTo(CURL* easy) const {
    // libcurl's own store cache would keep the first store it saw and give it to later
    // connections, whatever roots they were meant to trust.
    curl_easy_setopt(easy, CURLOPT_CA_CACHE_TIMEOUT, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, installStore);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, this);
}

CURLcode PinnedRoots::installStore(CURL*, void* sslContext, void* self) {
    // The connection's context takes a reference to the one store instead of a copy of its own.
    SSL_CTX_set1_cert_store(static_cast<SSL_CTX*>(sslContext), static_cast<const PinnedRoots*>(self)->store_);
    return CURLE_OK;
}

}  // namespace lumeno::detail
