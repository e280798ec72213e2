#include "sandbox/sandbox_server.h"

#include <httplib.h>
#include <openssl/ssl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "sandbox/certificates.h"
#include "sandbox/clock_text.h"
#include "sandbox/control_interface.h"
#include "sandbox/form_decode.h"
#include "sandbox/json_writer.h"
#include "sandbox/provider_api.h"

namespace velmora::sandbox {
namespace {

constexpr const char* loopback = "127.0.0.1";
constexpr const char* loopback6 = "::1";
constexpr std::size_t kept_requests = 10000;

// Binds `server` to `host` (port 0: any free port); gives the port or -1.
int bind_loopback(httplib::Server& server, const char* host, int port) {
    if (port == 0) {
        return server.bind_to_any_port(host);
    }
    return server.bind_to_port(host, port) ? port : -1;
}

std::string loopback_host(int port) {
    return std::string(loopback) + ":" + std::to_string(port);
}

std::string loopback6_host(int port) {
    return "[" + std::string(loopback6) + "]:" + std::to_string(port);
}

// Containers and some hosts run without IPv6: there ::1 cannot be bound at all.
bool has_ipv6_loopback() {
    const int fd = socket(AF_INET6, SOCK_STREAM, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return bound;
}

}  // namespace

struct SandboxServer::Servers {
    std::unique_ptr<httplib::SSLServer> api;
    httplib::Server dns;
    httplib::Server dns6;
    httplib::Server time;
    httplib::Server control;
    std::vector<std::thread> threads;

    std::vector<httplib::Server*> all() { return {api.get(), &dns, &dns6, &time, &control}; }
};

SandboxServer::SandboxServer(SandboxOptions options) : options_(std::move(options)) {
    seed_error_ = complete_seed(options_.seed);
    store_ = std::make_unique<ProviderStore>(options_.seed);
}

SandboxServer::~SandboxServer() {
    stop();
}

std::string SandboxServer::api_host() const {
    return loopback_host(api_port_);
}
std::string SandboxServer::dns_address() const {
    return loopback_host(dns_port_);
}
std::string SandboxServer::dns6_address() const {
    return dns6_port_ == 0 ? std::string() : loopback6_host(dns6_port_);
}
std::string SandboxServer::time_url() const {
    return "http://" + loopback_host(time_port_) + "/";
}

bool SandboxServer::write_ca_file(const std::string& pem, std::string* error) {
    if (options_.ca_file.empty()) {
        const char* directory = std::getenv("TMPDIR");
        std::string path =
            std::string(directory != nullptr && *directory != '\0' ? directory : "/tmp") +
            "/velmora-sandbox-ca-XXXXXX.pem";
        const int fd = mkstemps(path.data(), 4);
        if (fd < 0) {
            *error = "cannot create a temporary CA file";
            return false;
        }
        const bool written =
            ::write(fd, pem.data(), pem.size()) == static_cast<ssize_t>(pem.size());
        ::close(fd);
        ca_file_ = path;
        ca_file_is_temporary_ = true;
        if (!written) {
            *error = "cannot write " + path;
        }
        return written;
    }
    ca_file_ = options_.ca_file;
    ca_file_is_temporary_ = false;
    std::ofstream file(ca_file_, std::ios::binary | std::ios::trunc);
    file << pem;
    file.close();
    if (!file) {
        *error = "cannot write " + ca_file_;
        return false;
    }
    return true;
}

bool SandboxServer::start(std::string* error) {
    std::string ignored;
    std::string& reason = error != nullptr ? *error : ignored;
    if (servers_) {
        reason = "already started";
        return false;
    }
    // The TLS servers write to sockets without MSG_NOSIGNAL: a client that hangs up in the
    // middle of a reply (a window closed during a request) must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    if (!seed_error_.empty()) {
        reason = "invalid seed: " + seed_error_;
        return false;
    }
    if (!identity_) {
        std::optional<TlsIdentity> made = TlsIdentity::generate(options_.extra_dns_names, &reason);
        if (!made) {
            return false;
        }
        identity_ = std::make_unique<TlsIdentity>(std::move(*made));
    }
    const TlsIdentity* identity = identity_.get();
    if (!write_ca_file(identity->ca_pem(), &reason)) {
        return false;
    }
    servers_ = std::make_unique<Servers>();
    // The server takes its own references to the certificate and key.
    servers_->api = std::make_unique<httplib::SSLServer>(identity->server_certificate(),
                                                         identity->server_key());
    if (!servers_->api->is_valid()) {
        reason = "the TLS server could not be set up";
        stop();
        return false;
    }
    // A completed handshake, full or resumed, is what a client pays for each new TLS
    // connection.
    SSL_CTX* tls = servers_->api->ssl_context();
    SSL_CTX_set_app_data(tls, this);
    SSL_CTX_set_info_callback(tls, [](const SSL* ssl, int where, int) {
        if (where & SSL_CB_HANDSHAKE_DONE) {
            static_cast<SandboxServer*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)))
                ->count_handshake(SSL_session_reused(ssl) == 1);
        }
    });
    servers_->api->set_keep_alive_max_count(
        static_cast<std::size_t>(std::max(options_.api_requests_per_connection, 1)));
    install_routes();

    const int threads = options_.threads > 0 ? options_.threads : 1;
    struct Listener {
        httplib::Server* server;
        const char* host;
        int wanted;
        int* bound;
    };
    // Started again, the servers listen where they did before.
    const auto where = [](int bound, int wanted) { return bound != 0 ? bound : wanted; };
    std::vector<Listener> listeners{
        {servers_->api.get(), loopback, where(api_port_, options_.api_port), &api_port_},
        {&servers_->dns, loopback, where(dns_port_, options_.dns_port), &dns_port_},
        {&servers_->dns6, loopback6, where(dns6_port_, options_.dns6_port), &dns6_port_},
        {&servers_->time, loopback, where(time_port_, options_.time_port), &time_port_},
        {&servers_->control, loopback, where(control_port_, options_.control_port), &control_port_},
    };
    dns6_port_ = 0;
    if (options_.dns6_port == 0 && !has_ipv6_loopback()) {
        std::erase_if(listeners, [&](const Listener& l) { return l.server == &servers_->dns6; });
    }
    std::size_t bound_count = 0;
    for (; bound_count < listeners.size(); ++bound_count) {
        const Listener& listener = listeners[bound_count];
        httplib::Server& server = *listener.server;
        server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
        // The library's default also sets SO_REUSEPORT, which would let a second
        // sandbox share a fixed port with a running one and split its traffic.
        server.set_socket_options([](socket_t socket) {
            const int yes = 1;
            setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        // A reply goes out as two writes, the header block and then the body. With
        // Nagle's algorithm on, the body waits for the ACK of the headers, which the
        // client delays by about 40 ms: every TLS reply would take that long. Accepted
        // connections inherit the option from the listening socket.
        server.set_tcp_nodelay(true);
        *listener.bound = bind_loopback(server, listener.host, listener.wanted);
        if (*listener.bound < 0) {
            reason = "cannot bind " + (listener.host == loopback6 ? loopback6_host(listener.wanted)
                                                                  : loopback_host(listener.wanted));
            *listener.bound = 0;
            break;
        }
    }
    // Even after a failed bind the servers bound so far are run and then stopped:
    // only a running server closes its listening socket on stop().
    for (std::size_t i = 0; i < bound_count; ++i) {
        httplib::Server* server = listeners[i].server;
        servers_->threads.emplace_back([server] { server->listen_after_bind(); });
        while (!server->is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (bound_count < listeners.size()) {
        stop();
        return false;
    }
    return true;
}

void SandboxServer::stop() {
    if (!servers_) {
        return;
    }
    for (httplib::Server* server : servers_->all()) {
        if (server != nullptr) {
            server->stop();
        }
    }
    for (std::thread& thread : servers_->threads) {
        thread.join();
    }
    servers_.reset();
    if (ca_file_is_temporary_) {
        std::remove(ca_file_.c_str());
        ca_file_is_temporary_ = false;
    }
}

void SandboxServer::install_routes() {
    for (const std::string_view action :
         {action_domain_list, action_record_list, action_record_modify}) {
        servers_->api->Post("/" + std::string(action), [this, action](const httplib::Request& req,
                                                                      httplib::Response& res) {
            count(std::string(action));
            count_connection(req.remote_addr, req.remote_port);
            record_request({std::string(action), req.body, req.get_header_value("Content-Type")});
            res.set_content(answer_api_action(*store_, action, decode_form(req.body)),
                            "application/json; charset=utf-8");
        });
    }

    serve_dns(servers_->dns, "httpdns", dns4_);
    serve_dns(servers_->dns6, "httpdns6", dns6_);

    // HEAD requests are served by the GET handler without the body.
    servers_->time.Get(".*", [this](const httplib::Request&, httplib::Response& res) {
        count("time");
        res.set_header("Date", date_header());
        res.set_content("<html><body>velmora-sandbox time site</body></html>\n", "text/html");
    });

    add_control_routes(servers_->control, *this);
}

void SandboxServer::serve_dns(httplib::Server& server, const std::string& counter,
                              DnsAnswer& answer) {
    server.Get("/d", [this, counter, &answer](const httplib::Request& req, httplib::Response& res) {
        count(counter);
        res.set_content(dns_reply(answer, req.get_param_value("dn"),
                                  req.get_param_value("clientip") == "1", req.remote_addr),
                        "text/plain");
    });
}

std::string SandboxServer::dns_reply(const DnsAnswer& answer, const std::string& name,
                                     bool with_client, const std::string& caller) {
    std::lock_guard lock(mutex_);
    if (answer.reply) {
        return *answer.reply;
    }
    std::string reply;
    for (const std::string& address : store_->resolved_addresses(name)) {
        reply += (reply.empty() ? "" : ";") + address;
    }
    if (with_client) {
        reply += "|" + (answer.public_address.empty() ? caller : answer.public_address);
    }
    return reply;
}

std::string SandboxServer::date_header() const {
    std::lock_guard lock(mutex_);
    return date_header_.empty() ? http_date() : date_header_;
}

void SandboxServer::set_public_address(const std::string& address) {
    std::lock_guard lock(mutex_);
    dns4_.public_address = address;
}

std::string SandboxServer::public_address() const {
    std::lock_guard lock(mutex_);
    return dns4_.public_address;
}

void SandboxServer::set_public_address6(const std::string& address) {
    std::lock_guard lock(mutex_);
    dns6_.public_address = address;
}

std::string SandboxServer::public_address6() const {
    std::lock_guard lock(mutex_);
    return dns6_.public_address;
}

void SandboxServer::set_dns_reply(std::optional<std::string> body) {
    std::lock_guard lock(mutex_);
    dns4_.reply = std::move(body);
}

void SandboxServer::set_dns6_reply(std::optional<std::string> body) {
    std::lock_guard lock(mutex_);
    dns6_.reply = std::move(body);
}

void SandboxServer::set_date_header(const std::string& value) {
    std::lock_guard lock(mutex_);
    date_header_ = value;
}

void SandboxServer::count(const std::string& action) {
    std::lock_guard lock(mutex_);
    ++counters_[action];
}

void SandboxServer::count_connection(const std::string& remote_address, int remote_port) {
    std::lock_guard lock(mutex_);
    if (seen_connections_.emplace(remote_address, remote_port).second) {
        ++connections_.connections;
    }
}

void SandboxServer::count_handshake(bool resumed) {
    std::lock_guard lock(mutex_);
    ++connections_.handshakes;
    connections_.resumed += resumed ? 1 : 0;
}

ApiConnections SandboxServer::api_connections() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

void SandboxServer::record_request(ApiRequest request) {
    std::lock_guard lock(mutex_);
    if (requests_.size() >= kept_requests) {
        requests_.erase(requests_.begin());
    }
    requests_.push_back(std::move(request));
}

Counters SandboxServer::counters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

std::vector<ApiRequest> SandboxServer::api_requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void SandboxServer::reset_counters() {
    std::lock_guard lock(mutex_);
    counters_.clear();
    requests_.clear();
    connections_ = {};
    seen_connections_.clear();
}

std::string SandboxServer::state_json() const {
    const auto reply_json = [](const std::optional<std::string>& reply) {
        return reply ? json_quote(*reply) : std::string("null");
    };
    JsonObject counters;
    DnsAnswer dns4;
    DnsAnswer dns6;
    std::string date;
    ApiConnections connections;
    {
        std::lock_guard lock(mutex_);
        connections = connections_;
        for (const auto& [action, n] : counters_) {
            counters.number(action, static_cast<std::int64_t>(n));
        }
        dns4 = dns4_;
        dns6 = dns6_;
        date = date_header_;
    }
    std::vector<std::string> forced;
    for (const ForcedReply& f : store_->forced_replies()) {
        forced.push_back(JsonObject()
                             .text("id", f.account_id)
                             .text("action", f.action)
                             .text("code", f.code)
                             .boolean("data", f.with_data)
                             .str());
    }
    return JsonObject()
        .number("api_port", api_port_)
        .number("dns_port", dns_port_)
        .number("dns6_port", dns6_port_)
        .number("time_port", time_port_)
        .number("control_port", control_port_)
        .text("ca_file", ca_file_)
        .text("public_address", dns4.public_address)
        .raw("dns_reply", reply_json(dns4.reply))
        .text("public_address6", dns6.public_address)
        .raw("dns6_reply", reply_json(dns6.reply))
        .text("date", date)
        .raw("counters", counters.str())
        .number("api_connections", static_cast<std::int64_t>(connections.connections))
        .number("api_handshakes", static_cast<std::int64_t>(connections.handshakes))
        .number("api_resumed_handshakes", static_cast<std::int64_t>(connections.resumed))
        .raw("forced_replies", json_array(forced))
        .boolean("record_type_ignored", store_->record_type_ignored())
        .str();
}

}  // namespace velmora::sandbox
