// A tiny HTTP proxy on 127.0.0.1 for the proxy tests: forwards absolute-form requests
// and tunnels CONNECT, to loopback targets only, and records each request head it saw.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "http/tests/support/loopback_socket.h"

namespace velmora::testing {

class FixtureProxy {
  public:
    FixtureProxy();
    FixtureProxy(const FixtureProxy&) = delete;
    FixtureProxy& operator=(const FixtureProxy&) = delete;

    int port() const { return acceptor_.port(); }
    // "127.0.0.1:PORT", the form the request engine takes.
    std::string address() const;
    // The request heads received from clients, in order.
    std::vector<std::string> request_heads() const;

  private:
    void serve(int client);

    mutable std::mutex mutex_;
    std::vector<std::string> heads_;
    // Last, so its threads stop before the records they write go away.
    LoopbackAcceptor acceptor_;
};

}  // namespace velmora::testing
