#include "sandbox/sandbox_server.h"

#include <httplib.h>
#include <sys/socket.h>
#include <unistd.h>

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
constexpr std::size_t kept_requests = 10000;

// Binds `server` to loopback (port 0: any free port); gives the port or -1.
int bind_loopback(httplib::Server& server, int port) {
    if (port == 0) {
        return server.bind_to_any_port(loopback);
    }
    return server.bind_to_port(loopback, port) ? port : -1;
}

std::string loopback_host(int port) {
    return std::string(loopback) + ":" + std::to_string(port);
}

}  // namespace

struct SandboxServer::Servers {
    std::unique_ptr<httplib::SSLServer> api;
    httplib::Server dns;
    httplib::Server time;
    httplib::Server control;
    std::vector<std::thread> threads;

    std::vector<httplib::Server*> all() { return {api.get(), &dns, &time, &control}; }
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
    const std::optional<TlsIdentity> identity =
        TlsIdentity::generate(options_.extra_dns_names, &reason);
    if (!identity || !write_ca_file(identity->ca_pem(), &reason)) {
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
    install_routes();

    const int threads = options_.threads > 0 ? options_.threads : 1;
    const std::vector<httplib::Server*> servers = servers_->all();
    const int wanted[] = {options_.api_port, options_.dns_port, options_.time_port,
                          options_.control_port};
    int* bound[] = {&api_port_, &dns_port_, &time_port_, &control_port_};
    std::size_t bound_count = 0;
    for (; bound_count < servers.size(); ++bound_count) {
        httplib::Server& server = *servers[bound_count];
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
        *bound[bound_count] = bind_loopback(server, wanted[bound_count]);
        if (*bound[bound_count] < 0) {
            reason = "cannot bind " + loopback_host(wanted[bound_count]);
            break;
        }
    }
    // Even after a failed bind the servers bound so far are run and then stopped:
    // only a running server closes its listening socket on stop().
    for (std::size_t i = 0; i < bound_count; ++i) {
        httplib::Server* server = servers[i];
        servers_->threads.emplace_back([server] { server->listen_after_bind(); });
        while (!server->is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (bound_count < servers.size()) {
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
            record_request({std::string(action), req.body, req.get_header_value("Content-Type")});
            res.set_content(answer_api_action(*store_, action, decode_form(req.body)),
                            "application/json; charset=utf-8");
        });
    }

    servers_->dns.Get("/d", [this](const httplib::Request& req, httplib::Response& res) {
        count("httpdns");
        res.set_content(dns_reply(req.get_param_value("dn"), req.get_param_value("clientip") == "1",
                                  req.remote_addr),
                        "text/plain");
    });

    // HEAD requests are served by the GET handler without the body.
    servers_->time.Get(".*", [this](const httplib::Request&, httplib::Response& res) {
        count("time");
        res.set_header("Date", date_header());
        res.set_content("<html><body>velmora-sandbox time site</body></html>\n", "text/html");
    });

    add_control_routes(servers_->control, *this);
}

std::string SandboxServer::dns_reply(const std::string& name, bool with_client,
                                     const std::string& caller) {
    std::lock_guard lock(mutex_);
    if (dns_reply_) {
        return *dns_reply_;
    }
    std::string reply;
    for (const std::string& address : store_->resolved_addresses(name)) {
        reply += (reply.empty() ? "" : ";") + address;
    }
    if (with_client) {
        reply += "|" + (public_address_.empty() ? caller : public_address_);
    }
    return reply;
}

std::string SandboxServer::date_header() const {
    std::lock_guard lock(mutex_);
    return date_header_.empty() ? http_date() : date_header_;
}

void SandboxServer::set_public_address(const std::string& address) {
    std::lock_guard lock(mutex_);
    public_address_ = address;
}

std::string SandboxServer::public_address() const {
    std::lock_guard lock(mutex_);
    return public_address_;
}

void SandboxServer::set_dns_reply(std::optional<std::string> body) {
    std::lock_guard lock(mutex_);
    dns_reply_ = std::move(body);
}

void SandboxServer::set_date_header(const std::string& value) {
    std::lock_guard lock(mutex_);
    date_header_ = value;
}

void SandboxServer::count(const std::string& action) {
    std::lock_guard lock(mutex_);
    ++counters_[action];
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
}

std::string SandboxServer::state_json() const {
    JsonObject counters;
    std::string public_address;
    std::string dns_reply = "null";
    std::string date;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [action, n] : counters_) {
            counters.number(action, static_cast<std::int64_t>(n));
        }
        public_address = public_address_;
        if (dns_reply_) {
            dns_reply = json_quote(*dns_reply_);
        }
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
        .number("time_port", time_port_)
        .number("control_port", control_port_)
        .text("ca_file", ca_file_)
        .text("public_address", public_address)
        .raw("dns_reply", dns_reply)
        .text("date", date)
        .raw("counters", counters.str())
        .raw("forced_replies", json_array(forced))
        .str();
}

}  // namespace velmora::sandbox
