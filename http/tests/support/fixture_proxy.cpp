#include "http/tests/support/fixture_proxy.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "http/tests/support/loopback_socket.h"

namespace velmora::testing {
namespace {

constexpr const char* loopback_prefix = "127.0.0.1:";

// The port of "127.0.0.1:PORT" or "localhost:PORT" at the start of `authority`; 0 for
// any other host.
int loopback_port(const std::string& authority) {
    for (const std::string prefix : {loopback_prefix, "localhost:"}) {
        if (authority.rfind(prefix, 0) == 0) {
            return std::atoi(authority.c_str() + prefix.size());
        }
    }
    return 0;
}

// Copies bytes both ways until either side closes.
void relay(int a, int b) {
    pollfd watched[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    char buffer[16384];
    while (poll(watched, 2, 10000) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (!(watched[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                continue;
            }
            const ssize_t count = recv(watched[i].fd, buffer, sizeof buffer, 0);
            if (count <= 0) {
                return;
            }
            if (!send_all(watched[1 - i].fd,
                          std::string(buffer, static_cast<std::size_t>(count)))) {
                return;
            }
        }
    }
}

}  // namespace

FixtureProxy::FixtureProxy() : acceptor_([this](int client) { serve(client); }) {}

std::string FixtureProxy::address() const {
    return loopback_prefix + std::to_string(port());
}

std::vector<std::string> FixtureProxy::request_heads() const {
    std::lock_guard lock(mutex_);
    return heads_;
}

void FixtureProxy::serve(int client) {
    std::string head;
    std::string rest;
    if (read_head(socket_reader(client), head, rest)) {
        {
            std::lock_guard lock(mutex_);
            heads_.push_back(head);
        }
        const std::string line = head.substr(0, head.find("\r\n"));
        const auto first_blank = line.find(' ');
        const auto second_blank = line.find(' ', first_blank + 1);
        const std::string method = line.substr(0, first_blank);
        const std::string target = line.substr(first_blank + 1, second_blank - first_blank - 1);

        if (method == "CONNECT") {
            const int upstream = connect_to_loopback(loopback_port(target));
            if (upstream == -1) {
                send_all(client, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
            } else {
                send_all(client, "HTTP/1.1 200 Connection established\r\n\r\n");
                if (!rest.empty()) {
                    send_all(upstream, rest);
                }
                relay(client, upstream);
                close(upstream);
            }
        } else {
            // "GET http://127.0.0.1:PORT/path HTTP/1.1" goes on as "GET /path HTTP/1.1".
            const std::string scheme = "http://";
            const std::string authority_and_path =
                target.rfind(scheme, 0) == 0 ? target.substr(scheme.size()) : std::string();
            const auto slash = authority_and_path.find('/');
            const int upstream =
                connect_to_loopback(loopback_port(authority_and_path.substr(0, slash)));
            if (upstream == -1) {
                send_all(client, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
            } else {
                const std::string path =
                    slash == std::string::npos ? "/" : authority_and_path.substr(slash);
                send_all(upstream, method + " " + path + line.substr(second_blank) +
                                       head.substr(line.size()) + rest);
                relay(client, upstream);
                close(upstream);
            }
        }
    }
}

}  // namespace velmora::testing
