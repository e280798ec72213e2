#include "http/tests/support/fixture_server.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "http/tests/support/loopback_socket.h"
#include "http/tests/support/test_certificates.h"

namespace velmora::testing {
namespace {

void load_pem(SSL_CTX* context, const CertificateSet& set) {
    std::unique_ptr<BIO, decltype(&BIO_free)> certificate(
        BIO_new_mem_buf(set.certificate_pem.data(), static_cast<int>(set.certificate_pem.size())),
        &BIO_free);
    std::unique_ptr<BIO, decltype(&BIO_free)> key(
        BIO_new_mem_buf(set.key_pem.data(), static_cast<int>(set.key_pem.size())), &BIO_free);
    X509* x509 = PEM_read_bio_X509(certificate.get(), nullptr, nullptr, nullptr);
    EVP_PKEY* private_key = PEM_read_bio_PrivateKey(key.get(), nullptr, nullptr, nullptr);
    const bool loaded = x509 && private_key && SSL_CTX_use_certificate(context, x509) == 1 &&
                        SSL_CTX_use_PrivateKey(context, private_key) == 1;
    X509_free(x509);
    EVP_PKEY_free(private_key);
    if (!loaded) {
        throw std::runtime_error("fixture server: TLS certificate");
    }
}

RawRequest parse_request(std::string head, std::string body) {
    RawRequest request;
    const auto line_end = head.find("\r\n");
    const std::string line = head.substr(0, line_end);
    const auto first_blank = line.find(' ');
    const auto second_blank = line.find(' ', first_blank + 1);
    request.method = line.substr(0, first_blank);
    if (first_blank != std::string::npos) {
        request.target = line.substr(first_blank + 1, second_blank - first_blank - 1);
    }
    request.path = request.target.substr(0, request.target.find('?'));
    request.head = std::move(head);
    request.body = std::move(body);
    return request;
}

}  // namespace

struct FixtureServer::TlsContext {
    SSL_CTX* context = nullptr;
    ~TlsContext() { SSL_CTX_free(context); }
};

std::string http_reply(int status, const std::string& reason, const std::string& body,
                       const std::vector<std::string>& headers) {
    std::string reply = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    for (const auto& header : headers) {
        reply += header + "\r\n";
    }
    reply += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    reply += "Connection: close\r\n\r\n";
    return reply + body;
}

std::unique_ptr<FixtureServer::TlsContext> FixtureServer::make_tls(Tls tls) {
    if (tls == Tls::off) {
        return nullptr;
    }
    auto context = std::make_unique<TlsContext>();
    context->context = SSL_CTX_new(TLS_server_method());
    if (!context->context) {
        throw std::runtime_error("fixture server: TLS context");
    }
    load_pem(context->context,
             tls == Tls::trusted ? trusted_certificates() : untrusted_certificates());
    return context;
}

FixtureServer::FixtureServer(Tls tls)
    : tls_(make_tls(tls)), acceptor_([this](int socket) { serve(socket); }) {}

FixtureServer::~FixtureServer() = default;

std::string FixtureServer::url(const std::string& path) const {
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port()) + path;
}

void FixtureServer::route(const std::string& path, FixtureRoute handler) {
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(handler);
}

std::vector<RawRequest> FixtureServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

FixtureReply FixtureServer::answer(const RawRequest& request) const {
    FixtureRoute handler;
    {
        std::lock_guard lock(mutex_);
        const auto found = routes_.find(request.path);
        if (found != routes_.end()) {
            handler = found->second;
        }
    }
    if (handler) {
        return handler(request);
    }
    return {http_reply(200, "OK", request.raw(), {"Content-Type: text/plain"})};
}

void FixtureServer::serve(int socket) {
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl(nullptr, &SSL_free);
    StreamReader read = socket_reader(socket);
    std::function<bool(const std::string&)> write = [socket](const std::string& bytes) {
        return send_all(socket, bytes);
    };
    bool usable = true;
    if (tls_) {
        ssl.reset(SSL_new(tls_->context));
        SSL_set_fd(ssl.get(), socket);
        usable = SSL_accept(ssl.get()) == 1;
        SSL* session = ssl.get();
        read = [session](char* buffer, std::size_t size) -> long {
            return SSL_read(session, buffer, static_cast<int>(size));
        };
        write = [session](const std::string& bytes) {
            return bytes.empty() ||
                   SSL_write(session, bytes.data(), static_cast<int>(bytes.size())) > 0;
        };
    }

    std::string head;
    std::string body;
    if (usable && read_head(read, head, body)) {
        const std::size_t length =
            std::strtoul(header_value(head, "Content-Length").c_str(), nullptr, 10);
        char chunk[4096];
        while (body.size() < length) {
            const long count = read(chunk, sizeof chunk);
            if (count <= 0) {
                break;
            }
            body.append(chunk, static_cast<std::size_t>(count));
        }
        const RawRequest request = parse_request(std::move(head), std::move(body));
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        const FixtureReply reply = answer(request);
        if (reply.byte_interval.count() > 0) {
            for (std::size_t at = 0; at < reply.bytes.size() && !acceptor_.stopping(); ++at) {
                std::this_thread::sleep_for(reply.byte_interval);
                if (!write(reply.bytes.substr(at, 1))) {
                    break;
                }
            }
        } else if (!reply.never_answer) {
            write(reply.bytes);
        }
        if (reply.never_answer || reply.keep_open) {
            // Silent until the client gives up or the server stops.
            pollfd watched{socket, POLLIN, 0};
            while (!acceptor_.stopping()) {
                if (poll(&watched, 1, 50) > 0) {
                    char probe;
                    if (recv(socket, &probe, 1, MSG_PEEK) <= 0) {
                        break;
                    }
                }
            }
        }
    }
    if (ssl && usable) {
        SSL_shutdown(ssl.get());
    }
}

}  // namespace velmora::testing
