// The test servers as one Linux process, for tests that cannot host them in-process
// (the Windows build under Wine): a plain and a trusted TLS server with the routes below,
// a TLS server whose CA nothing trusts, a server that never answers, a refused port and
// the proxy. Prints their ports and the trusted CA's file as key=value lines, the CA file
// last, then runs until SIGTERM or SIGINT.
//
// Routes of the plain and the trusted server (every other path echoes the raw request):
//   /redirect?code=N&to=T   status N with "Location: T" (T runs to the end of the query)
//   /cookies                two Set-Cookie lines
//   /gb2312                 a page declaring GB2312 with GBK-only characters
//   /cut                    a body that ends before its Content-Length
//   /date                   a fixed Date header
//   /trickle                a whole reply sent one byte every 200 ms, from its first byte
//   /stalled                a reply's head and the start of its body, then nothing
//   /received               the request lines this server has received, in order
//   /proxy-heads            the request heads the proxy has seen, in order
#include <csignal>
#include <iostream>
#include <string>

#include "base/gbk.h"
#include "http/tests/support/fixture_proxy.h"
#include "http/tests/support/fixture_server.h"
#include "http/tests/support/loopback_socket.h"
#include "http/tests/support/test_certificates.h"

namespace {

using velmora::testing::FixtureProxy;
using velmora::testing::FixtureReply;
using velmora::testing::FixtureServer;
using velmora::testing::http_reply;
using velmora::testing::RawRequest;

// The value of `name` in the target's query, up to the next '&' (or the end for "to").
std::string query_value(const std::string& target, const std::string& name) {
    const auto at = target.find(name + "=");
    if (at == std::string::npos) {
        return {};
    }
    const auto start = at + name.size() + 1;
    return name == "to" ? target.substr(start)
                        : target.substr(start, target.find('&', start) - start);
}

void add_routes(FixtureServer& server, const FixtureProxy& proxy) {
    server.route("/redirect", [](const RawRequest& request) {
        const int code = std::stoi("0" + query_value(request.target, "code"));
        return FixtureReply{
            http_reply(code, "Moved", "moved", {"Location: " + query_value(request.target, "to")})};
    });
    server.route("/cookies", [](const RawRequest&) {
        return FixtureReply{http_reply(
            200, "OK", "ok", {"Set-Cookie: sid=abc; path=/; HttpOnly", "Set-Cookie: b=3"})};
    });
    server.route("/gb2312", [](const RawRequest&) {
        return FixtureReply{http_reply(200, "OK",
                                       velmora::gbk("<meta charset=\"GB2312\"><p>堃喆镕</p>"),
                                       {"Content-Type: text/html"})};
    });
    server.route("/cut", [](const RawRequest&) {
        return FixtureReply{
            "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\npartial"};
    });
    server.route("/date", [](const RawRequest&) {
        return FixtureReply{http_reply(200, "OK", {}, {"Date: Tue, 08 Dec 2026 00:30:00 GMT"})};
    });
    server.route("/trickle", [](const RawRequest&) {
        FixtureReply reply{http_reply(200, "OK", std::string(40, 'x'))};
        reply.byte_interval = std::chrono::milliseconds(200);
        return reply;
    });
    server.route("/stalled", [](const RawRequest&) {
        FixtureReply reply{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial"};
        reply.keep_open = true;
        return reply;
    });
    server.route("/received", [&server](const RawRequest&) {
        std::string lines;
        for (const auto& request : server.requests()) {
            lines += request.head.substr(0, request.head.find("\r\n") + 2);
        }
        return FixtureReply{http_reply(200, "OK", lines, {"Content-Type: text/plain"})};
    });
    server.route("/proxy-heads", [&proxy](const RawRequest&) {
        std::string heads;
        for (const auto& head : proxy.request_heads()) {
            heads += head;
        }
        return FixtureReply{http_reply(200, "OK", heads, {"Content-Type: text/plain"})};
    });
}

}  // namespace

int main() {
    // Blocked before any server thread exists, so only the sigwait below receives them.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    FixtureProxy proxy;
    FixtureServer plain;
    FixtureServer secure(FixtureServer::Tls::trusted);
    FixtureServer untrusted(FixtureServer::Tls::untrusted);
    FixtureServer silent;
    add_routes(plain, proxy);
    add_routes(secure, proxy);
    silent.route("/", [](const RawRequest&) { return FixtureReply{{}, true}; });

    std::cout << "plain_port=" << plain.port() << "\n"
              << "tls_port=" << secure.port() << "\n"
              << "untrusted_port=" << untrusted.port() << "\n"
              << "silent_port=" << silent.port() << "\n"
              << "refused_port=" << velmora::testing::refused_port() << "\n"
              << "proxy_port=" << proxy.port() << "\n"
              << "ca_file=" << velmora::testing::trust_test_ca() << std::endl;

    int received = 0;
    sigwait(&stop_signals, &received);
    return 0;
}
