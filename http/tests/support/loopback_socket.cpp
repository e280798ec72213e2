#include "http/tests/support/loopback_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace velmora::testing {
namespace {

sockaddr_in loopback_address(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int bound_socket(int& port) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener == -1) {
        return -1;
    }
    sockaddr_in address = loopback_address(0);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(listener);
        return -1;
    }
    port = ntohs(address.sin_port);
    return listener;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

int listen_on_loopback(int& port) {
    const int listener = bound_socket(port);
    if (listener != -1 && listen(listener, 64) != 0) {
        close(listener);
        return -1;
    }
    return listener;
}

int connect_to_loopback(int port) {
    const int connection = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connection == -1) {
        return -1;
    }
    const sockaddr_in address = loopback_address(port);
    if (connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(connection);
        return -1;
    }
    return connection;
}

int refused_port() {
    // Bound but never listening: the port stays reserved and connections are refused.
    static int port = 0;
    static const int reserved = bound_socket(port);
    return reserved == -1 ? 0 : port;
}

bool send_all(int socket, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

StreamReader socket_reader(int socket) {
    return [socket](char* buffer, std::size_t size) -> long {
        while (true) {
            const ssize_t count = recv(socket, buffer, size, 0);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            return static_cast<long>(count);
        }
    };
}

bool read_head(const StreamReader& read, std::string& head, std::string& rest) {
    std::string buffer;
    char chunk[4096];
    while (true) {
        const auto end = buffer.find("\r\n\r\n");
        if (end != std::string::npos) {
            head = buffer.substr(0, end + 4);
            rest = buffer.substr(end + 4);
            return true;
        }
        const long count = read(chunk, sizeof chunk);
        if (count <= 0) {
            return false;
        }
        buffer.append(chunk, static_cast<std::size_t>(count));
    }
}

std::string header_value(const std::string& head, const std::string& name) {
    const std::string wanted = "\r\n" + lower(name) + ":";
    const std::string lowered = lower(head);
    const auto at = lowered.find(wanted);
    if (at == std::string::npos) {
        return {};
    }
    auto begin = at + wanted.size();
    const auto end = head.find("\r\n", begin);
    while (begin < end && head[begin] == ' ') {
        ++begin;
    }
    return head.substr(begin, end - begin);
}

LoopbackAcceptor::LoopbackAcceptor(std::function<void(int socket)> serve)
    : serve_(std::move(serve)) {
    // TLS writes go through the socket without MSG_NOSIGNAL: a client that hangs up early
    // must fail the write, not kill the test process.
    std::signal(SIGPIPE, SIG_IGN);
    listener_ = listen_on_loopback(port_);
    if (listener_ == -1) {
        throw std::runtime_error("loopback server: listen");
    }
    acceptor_ = std::thread([this] { accept_loop(); });
}

LoopbackAcceptor::~LoopbackAcceptor() {
    stopping_ = true;
    shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    close(listener_);
    {
        std::lock_guard lock(mutex_);
        for (const int socket : open_sockets_) {
            shutdown(socket, SHUT_RDWR);
        }
    }
    for (auto& worker : workers_) {
        worker.join();
    }
}

void LoopbackAcceptor::accept_loop() {
    while (!stopping_) {
        const int socket = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket == -1) {
            continue;
        }
        // A reply written in pieces (TLS session tickets, then the response) must not
        // wait for the client's delayed ACK of the first piece.
        const int on = 1;
        setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        std::lock_guard lock(mutex_);
        open_sockets_.insert(socket);
        workers_.emplace_back([this, socket] {
            serve_(socket);
            std::lock_guard lock(mutex_);
            open_sockets_.erase(socket);
            close(socket);
        });
    }
}

}  // namespace velmora::testing
