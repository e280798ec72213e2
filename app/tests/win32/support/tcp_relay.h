// A TCP relay on loopback that a test starts in front of a server: each connection is
// passed on to the server's port, both ways, until the test silences the relay; from
// then on nothing passes either way on any connection, new or open, and the client waits
// as on a server that accepted it and never answers.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace velmora {

class TcpRelay {
  public:
    // Listens on 127.0.0.1:`port` and passes connections on to 127.0.0.1:`target_port`.
    TcpRelay(int port, int target_port);
    ~TcpRelay();
    TcpRelay(const TcpRelay&) = delete;
    TcpRelay& operator=(const TcpRelay&) = delete;

    bool listening() const { return listener_ != kNoSocket; }
    void set_silent(bool silent) { silent_ = silent; }
    // How many connections have been kept waiting in silence so far.
    int held() const { return held_; }

  private:
    using Socket = unsigned long long;  // the platform's SOCKET
    static constexpr Socket kNoSocket = ~Socket{0};

    void accept_connections();
    void relay(Socket client);

    const int target_port_;
    Socket listener_ = kNoSocket;
    std::atomic<bool> silent_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<int> held_{0};
    std::mutex mutex_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

}  // namespace velmora
