// Connections kept open for a run of exchanges, such as one update pass or one login.
//
// While a pool is open on a thread, the engine's exchanges made on that thread keep their
// connection and TLS session for the next exchange to the same origin; without one, every
// exchange opens and closes its own connection. The request object (com_request) keeps no
// connection between its requests. A connection the server closed is replaced by a new
// one. Each thread has its own connections, so a pool never crosses threads.
#pragma once

namespace velmora {

class ConnectionPool {
  public:
    // Pools nest: the connections are closed when the outermost one on the thread ends.
    ConnectionPool();
    ~ConnectionPool();
    ConnectionPool(const ConnectionPool&) = delete;
    ConnectionPool& operator=(const ConnectionPool&) = delete;
};

}  // namespace velmora
