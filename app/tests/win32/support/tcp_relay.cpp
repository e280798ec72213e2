#include "tcp_relay.h"

#include <winsock2.h>

namespace velmora {

namespace {

constexpr long kPollMicroseconds = 20000;

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Of `first` and `second`, the sockets that have something to read (or have closed)
// within one poll: bit 1 for the first, bit 2 for the second.
int readable(SOCKET first, SOCKET second = INVALID_SOCKET) {
    fd_set sockets;
    FD_ZERO(&sockets);
    FD_SET(first, &sockets);
    if (second != INVALID_SOCKET) {
        FD_SET(second, &sockets);
    }
    timeval wait{0, kPollMicroseconds};
    if (select(0, &sockets, nullptr, nullptr, &wait) <= 0) {
        return 0;
    }
    return (FD_ISSET(first, &sockets) ? 1 : 0) |
           (second != INVALID_SOCKET && FD_ISSET(second, &sockets) ? 2 : 0);
}

// Moves what `from` has to `to`; false when either side has closed.
bool pass_on(SOCKET from, SOCKET to) {
    char buffer[16384];
    const int received = recv(from, buffer, sizeof buffer, 0);
    if (received <= 0) {
        return false;
    }
    for (int sent = 0; sent < received;) {
        const int step = send(to, buffer + sent, received - sent, 0);
        if (step <= 0) {
            return false;
        }
        sent += step;
    }
    return true;
}

}  // namespace

TcpRelay::TcpRelay(int port, int target_port) : target_port_(target_port) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    // The port is fixed: connections a run before this one left waiting to close must not
    // keep it.
    const BOOL reuse = TRUE;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
               sizeof reuse);
    const sockaddr_in address = loopback(port);
    if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, SOMAXCONN) != 0) {
        closesocket(listener);
        return;
    }
    listener_ = listener;
    acceptor_ = std::thread([this] { accept_connections(); });
}

TcpRelay::~TcpRelay() {
    stopping_ = true;
    if (acceptor_.joinable()) {
        acceptor_.join();
    }
    for (std::thread& connection : connections_) {
        connection.join();
    }
    if (listener_ != kNoSocket) {
        closesocket(static_cast<SOCKET>(listener_));
    }
    WSACleanup();
}

void TcpRelay::accept_connections() {
    while (!stopping_) {
        const auto listener = static_cast<SOCKET>(listener_);
        if (readable(listener) == 0) {
            continue;
        }
        const SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            continue;
        }
        std::lock_guard lock(mutex_);
        connections_.emplace_back([this, client] { relay(client); });
    }
}

void TcpRelay::relay(Socket client_socket) {
    const auto client = static_cast<SOCKET>(client_socket);
    SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const sockaddr_in address = loopback(target_port_);
    bool open = connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    bool counted = false;
    while (open && !stopping_) {
        if (silent_) {
            if (!counted) {
                counted = true;
                ++held_;
            }
            Sleep(kPollMicroseconds / 1000);
            continue;
        }
        const int ready = readable(client, server);
        if ((ready & 1) != 0) {
            open = pass_on(client, server);
        }
        if (open && (ready & 2) != 0) {
            open = pass_on(server, client);
        }
    }
    closesocket(server);
    closesocket(client);
}

}  // namespace velmora
