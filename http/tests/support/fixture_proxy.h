// A tiny HTTP proxy on 127.0.0.1 for the proxy tests: forwards absolute-form requests
// and tunnels CONNECT, to loopback targets only, and records each request head it saw.
#pragma once

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace velmora::testing {

class FixtureProxy {
  public:
    FixtureProxy();
    ~FixtureProxy();
    FixtureProxy(const FixtureProxy&) = delete;
    FixtureProxy& operator=(const FixtureProxy&) = delete;

    int port() const { return port_; }
    // "127.0.0.1:PORT", the form the request engine takes.
    std::string address() const;
    // The request heads received from clients, in order.
    std::vector<std::string> request_heads() const;

  private:
    void accept_loop();
    void serve(int client);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> heads_;
    std::set<int> open_sockets_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

}  // namespace velmora::testing
