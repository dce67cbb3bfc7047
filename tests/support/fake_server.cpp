#include "support/fake_server.hpp"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

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
using Bio = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

void check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string("test certificates: ") + what);
}

Key newKey() {
    Key key(EVP_EC_gen("P-256"));
    check(key != nullptr, "key generation");
    return key;
}

void addExtension(X509* cert, X509V3_CTX& ctx, int nid, const char* value) {
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    check(ext != nullptr && X509_add_ext(cert, ext, -1) == 1, "extension");
    X509_EXTENSION_free(ext);
}

/// A certificate for `key` named `commonName`; self-signed when `issuer` is null, a server
/// certificate for 127.0.0.1 and localhost otherwise.
Cert makeCert(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey) {
    static long serial = 1;
    Cert cert(X509_new());
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial++);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 30L * 24 * 3600);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1,
                               0);
    X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name);

    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer ? issuer : cert.get(), cert.get(), nullptr, nullptr, 0);
    addExtension(cert.get(), ctx, NID_subject_key_identifier, "hash");
    if (issuer) {
        addExtension(cert.get(), ctx, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(cert.get(), ctx, NID_key_usage, "critical,digitalSignature,keyEncipherment");
        addExtension(cert.get(), ctx, NID_ext_key_usage, "serverAuth");
        addExtension(cert.get(), ctx, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
        addExtension(cert.get(), ctx, NID_authority_key_identifier, "keyid:always");
    } else {
        addExtension(cert.get(), ctx, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(cert.get(), ctx, NID_key_usage, "critical,keyCertSign,cRLSign");
    }
    check(X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) > 0, "signing");
    return cert;
}

std::string pem(const std::function<int(BIO*)>& write) {
    Bio bio(BIO_new(BIO_s_mem()));
    check(write(bio.get()) == 1, "PEM encoding");
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return {data, static_cast<std::size_t>(size)};
}

std::string certPem(X509* cert) {
    return pem([cert](BIO* bio) { return PEM_write_bio_X509(bio, cert); });
}

TestPki generatePki() {
    const Key rootKey = newKey(), serverKey = newKey(), otherKey = newKey();
    const Cert root = makeCert(rootKey.get(), "Lumeno Test Root", nullptr, nullptr);
    const Cert server = makeCert(serverKey.get(), "127.0.0.1", root.get(), rootKey.get());
    const Cert other = makeCert(otherKey.get(), "Lumeno Other Root", nullptr, nullptr);
    return TestPki{
        .rootPem = certPem(root.get()),
        .otherRootPem = certPem(other.get()),
        .serverCertPem = certPem(server.get()),
        .serverKeyPem = pem([&](BIO* bio) {
            return PEM_write_bio_PrivateKey(bio, serverKey.get(), nullptr, nullptr, 0, nullptr, nullptr);
        }),
    };
}

/// Loads the server certificate and key into a TLS context.
bool useServerIdentity(SSL_CTX& ctx) {
    const TestPki& pki = TestPki::shared();
    Bio certBio(BIO_new_mem_buf(pki.serverCertPem.data(), static_cast<int>(pki.serverCertPem.size())));
    Bio keyBio(BIO_new_mem_buf(pki.serverKeyPem.data(), static_cast<int>(pki.serverKeyPem.size())));
    const Cert cert(PEM_read_bio_X509(certBio.get(), nullptr, nullptr, nullptr));
    const Key key(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr));
    return cert && key && SSL_CTX_use_certificate(&ctx, cert.get()) == 1 &&
           SSL_CTX_use_PrivateKey(&ctx, key.get()) == 1;
}

// ---- connections --------------------------------------------------------------------------

/// Runs each accepted connection on a pool thread and counts the connections.
class CountingQueue final : public httplib::TaskQueue {
public:
    explicit CountingQueue(std::shared_ptr<std::atomic<std::size_t>> count) : count_(std::move(count)) {}
    void enqueue(std::function<void()> fn) override {
        ++*count_;
        pool_.enqueue(std::move(fn));
    }
    void shutdown() override { pool_.shutdown(); }

private:
    std::shared_ptr<std::atomic<std::size_t>> count_;
    httplib::ThreadPool pool_{16};
};

int portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

/// Shuts down the server's accepted sockets on `localPort` (only the one from `peerPort`
/// when given). httplib keeps the descriptors to itself, so they are found by address.
void shutDownConnections(int localPort, int peerPort = -1) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        const int fd = std::stoi(entry.path().filename().string());
        sockaddr_storage local{}, peer{};
        socklen_t localSize = sizeof local, peerSize = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 || portOf(local) != localPort)
            continue;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0) continue;  // the listener
        if (peerPort < 0 || portOf(peer) == peerPort) ::shutdown(fd, SHUT_RDWR);
    }
}

FakeServer::Responder always(Reply reply) {
    return [reply = std::move(reply)](const RecordedRequest&) { return reply; };
}

bool isServerHeader(const std::string& name) {
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

}  // namespace

const TestPki& TestPki::shared() {
    static const TestPki pki = generatePki();
    return pki;
}

Reply Reply::json(std::string body, int status) {
    return Reply(status, std::move(body), {{"Content-Type", "application/json"}});
}

Reply Reply::dropped() {
    Reply reply;
    reply.drop = true;
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
        server_ = std::make_unique<httplib::SSLServer>(useServerIdentity);
    else
        server_ = std::make_unique<httplib::Server>();
    if (!server_->is_valid()) throw std::runtime_error("fake server: TLS setup failed");

    server_->new_task_queue = [count = connections_] { return new CountingQueue(count); };
    server_->set_keep_alive_max_count(100000);
    server_->set_keep_alive_timeout(60);
    server_->set_tcp_nodelay(true);

    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        RecordedRequest recorded;
        recorded.method = request.method;
        recorded.body = request.body;
        const auto mark = request.target.find('?');
        recorded.path = request.target.substr(0, mark);
        if (mark != std::string::npos) recorded.query = request.target.substr(mark + 1);
        for (const auto& [name, value] : request.headers)
            if (!isServerHeader(name)) recorded.headers.add(name, value);

        const Reply reply = answer(std::move(recorded));
        waitOrStop(reply.delay);
        if (reply.drop) {
            shutDownConnections(port_, request.remote_port);
            return;
        }
        response.status = reply.status;
        for (const auto& [name, value] : reply.headers.fields())
            if (!HttpHeaders::sameName(name, "Content-Type")) response.headers.emplace(name, value);
        response.set_content(reply.body, std::string(reply.headers.find("Content-Type").value_or("text/plain")));
    };
    const char* const anyPath = ".*";
    server_->Get(anyPath, handler);
    server_->Post(anyPath, handler);
    server_->Put(anyPath, handler);
    server_->Patch(anyPath, handler);
    server_->Delete(anyPath, handler);

    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("fake server: no port");
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

std::size_t FakeServer::requestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

Reply FakeServer::answer(RecordedRequest request) {
    Responder responder;
    {
        std::lock_guard lock(mutex_);
        const auto script = scripts_.find({request.method, request.path});
        responder = script != scripts_.end() ? script->second : fallback_;
        requests_.push_back(request);
    }
    return responder(request);
}

void FakeServer::waitOrStop(std::chrono::milliseconds delay) {
    if (delay <= std::chrono::milliseconds::zero()) return;
    std::unique_lock lock(mutex_);
    stopping_.wait_for(lock, delay, [this] { return stopped_; });
}

}  // namespace lumeno::test
