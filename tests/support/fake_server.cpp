#include "support/fake_server.hpp"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <stdexcept>

namespace lumeno::test {
namespace {

// ---- certificates -------------------------------------------------------------------------

template <class T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using Cert = std::unique_ptr<X509, Deleter<X509, X509_free>>;

/// A certificate for `key`: a self-signed root when `issuer` is null, else a server
/// certificate for 127.0.0.1 signed by `issuer`.
Cert makeCert(EVP_PKEY* key, const char* commonName, X509* issuer = nullptr, EVP_PKEY* issuerKey = nullptr) {
    static long serial = 1;
    Cert cert(X509_new());
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial++);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 30L * 24 * 3600);
    X509_set_pubkey(cert.get(), key);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(cert.get()), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509_set_issuer_name(cert.get(), X509_get_subject_name(issuer ? issuer : cert.get()));
    X509V3_CTX ctx{};
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, issuer ? NID_subject_alt_name : NID_basic_constraints,
                                              issuer ? "IP:127.0.0.1" : "critical,CA:TRUE");
    const bool made = ext && X509_add_ext(cert.get(), ext, -1) == 1 &&
                      X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) > 0;
    X509_EXTENSION_free(ext);
    if (!made) throw std::runtime_error("fake server: test certificate");
    return cert;
}

/// The PEM text of a certificate or a private key.
template <class T>
std::string pem(T* item) {
    std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>> bio(BIO_new(BIO_s_mem()));
    if constexpr (std::is_same_v<T, X509>)
        PEM_write_bio_X509(bio.get(), item);
    else
        PEM_write_bio_PrivateKey(bio.get(), item, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return {data, static_cast<std::size_t>(size)};
}

struct Pki {
    Key rootKey{EVP_EC_gen("P-256")}, serverKey{EVP_EC_gen("P-256")};
    Cert root = makeCert(rootKey.get(), "Lumeno Test Root");
    Cert server = makeCert(serverKey.get(), "127.0.0.1", root.get(), rootKey.get());
    TestPki pems{pem(root.get()), pem(server.get()), pem(serverKey.get())};

    static const Pki& shared() {
        static const Pki pki;
        return pki;
    }
};

// ---- connections --------------------------------------------------------------------------

/// Runs each accepted connection on a pool thread and counts the connections.
struct CountingPool final : httplib::ThreadPool {
    explicit CountingPool(std::atomic<std::size_t>& count) : ThreadPool(16), count(count) {}
    void enqueue(std::function<void()> fn) override {
        ++count;
        ThreadPool::enqueue(std::move(fn));
    }
    std::atomic<std::size_t>& count;
};

int portOf(const sockaddr_storage& address) {  // the server listens on IPv4 only
    return address.ss_family == AF_INET ? ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port) : -1;
}

/// Calls `visit(fd, peerPort)` for each socket of the process bound to `localPort`: the
/// listener (peer port -1) and the accepted connections. httplib keeps the descriptors to
/// itself, so they are found by address.
template <class Visit>
void forEachSocket(int localPort, Visit visit) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        const int fd = std::stoi(entry.path().filename().string());
        sockaddr_storage local{}, peer{};
        socklen_t localSize = sizeof local, peerSize = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 || portOf(local) != localPort)
            continue;
        visit(fd, getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) == 0 ? portOf(peer) : -1);
    }
}

/// Writes `bytes` to the server's accepted sockets on `localPort` (only the one from `peerPort`
/// when given) and shuts them down.
void shutDownConnections(int localPort, int peerPort = -1, std::string_view bytes = {}) {
    forEachSocket(localPort, [&](int fd, int peer) {
        if (peer < 0 || (peerPort >= 0 && peer != peerPort)) return;
        if (!bytes.empty()) ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        ::shutdown(fd, SHUT_RDWR);
    });
}

FakeServer::Responder always(Reply reply) {
    return [reply = std::move(reply)](const RecordedRequest&) { return reply; };
}

// ---- queries ------------------------------------------------------------------------------

/// The value of a hexadecimal digit, or -1.
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/// `text` with "%XX" escapes decoded and "+" read as a space; a "%" without two digits stays.
std::string percentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = i + 2 < text.size() ? hexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? hexDigit(text[i + 2]) : -1;
        if (text[i] == '%' && low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

}  // namespace

std::multimap<std::string, std::string> parsedQuery(std::string_view query) {
    std::multimap<std::string, std::string> items;
    for (std::size_t start = 0; !query.empty();) {
        const auto end = std::min(query.find('&', start), query.size());
        const auto item = query.substr(start, end - start);
        const auto equals = std::min(item.find('='), item.size());
        const auto value = item.substr(std::min(equals + 1, item.size()));
        items.emplace(percentDecoded(item.substr(0, equals)), percentDecoded(value));
        if (end == query.size()) break;
        start = end + 1;
    }
    return items;
}

const TestPki& TestPki::shared() { return Pki::shared().pems; }

Reply Reply::json(std::string body, int status) {
    return Reply(status, std::move(body), {{"Content-Type", "application/json"}});
}

Reply Reply::dropped() { return cut(""); }

Reply Reply::cut(std::string bytes) {
    Reply reply;
    reply.raw = std::move(bytes);
    return reply;
}

Reply Reply::after(std::chrono::milliseconds wait) && {
    delay = wait;
    return std::move(*this);
}

FakeServer::FakeServer(Scheme scheme) : scheme_(scheme), fallback_(always(Reply(404))) {
    // A dropped connection must not kill the process when the server then writes to it.
    std::signal(SIGPIPE, SIG_IGN);
    if (scheme == Scheme::https)
        server_ = std::make_unique<httplib::SSLServer>(Pki::shared().server.get(), Pki::shared().serverKey.get());
    else
        server_ = std::make_unique<httplib::Server>();
    if (!server_->is_valid()) throw std::runtime_error("fake server: TLS setup failed");

    server_->new_task_queue = [this] { return new CountingPool(connections_); };
    server_->set_keep_alive_max_count(100000);
    server_->set_keep_alive_timeout(60);
    server_->set_tcp_nodelay(true);

    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        const auto mark = request.target.find('?');
        std::string query = mark == std::string::npos ? "" : request.target.substr(mark + 1);
        auto params = parsedQuery(query);
        RecordedRequest recorded{.method = request.method,
                                 .path = request.target.substr(0, mark),
                                 .query = std::move(query),
                                 .params = std::move(params),
                                 .headers = {},
                                 .body = request.body};
        for (const auto& [name, value] : request.headers)  // less what httplib adds about the sockets
            if (!name.starts_with("REMOTE_") && !name.starts_with("LOCAL_")) recorded.headers.add(name, value);

        std::unique_lock lock(mutex_);
        const auto script = scripts_.find({recorded.method, recorded.path});
        const Responder responder = script != scripts_.end() ? script->second : fallback_;
        requests_.push_back(recorded);
        lock.unlock();
        const Reply reply = responder(recorded);
        lock.lock();  // the delay ends early when the server stops
        stopping_.wait_for(lock, reply.delay, [this] { return stopped_; });
        lock.unlock();

        if (reply.raw) return shutDownConnections(port_, request.remote_port, *reply.raw);
        response.status = reply.status;
        for (const auto& [name, value] : reply.headers.fields()) response.headers.emplace(name, value);
        response.body = reply.body;
    };
    const char* const anyPath = ".*";
    server_->Get(anyPath, handler).Post(anyPath, handler).Put(anyPath, handler).Patch(anyPath, handler);
    server_->Delete(anyPath, handler);

    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("fake server: no port");
    // httplib listens with a backlog of 5; a burst of connections would then wait for SYN retries.
    forEachSocket(port_, [](int fd, int peer) {
        if (peer < 0) ::listen(fd, SOMAXCONN);
    });
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // A stop that comes before the accept loop runs would be lost: wait for the loop.
    while (!server_->is_running()) std::this_thread::yield();
}

FakeServer::~FakeServer() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    stopping_.notify_all();
    server_->stop();
    // Kept-alive connections would hold their pool threads until the keep-alive timeout.
    shutDownConnections(port_);
    thread_.join();
}

std::string FakeServer::url(std::string_view path, std::string_view host) const {
    return std::string(scheme_ == Scheme::https ? "https://" : "http://") + std::string(host) + ":" +
           std::to_string(port_) + std::string(path);
}

FakeServer& FakeServer::on(std::string method, std::string path, Reply reply) {
    return on(std::move(method), std::move(path), always(std::move(reply)));
}

FakeServer& FakeServer::on(std::string method, std::string path, Responder responder) {
    std::lock_guard lock(mutex_);
    scripts_[{std::move(method), std::move(path)}] = std::move(responder);
    return *this;
}

FakeServer& FakeServer::otherwise(Reply reply) {
    std::lock_guard lock(mutex_);
    fallback_ = always(std::move(reply));
    return *this;
}

std::vector<RecordedRequest> FakeServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

}  // namespace lumeno::test
