// Small POSIX socket helpers for the test servers; everything stays on 127.0.0.1.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace velmora::testing {

// A listening socket on 127.0.0.1 with an ephemeral port; -1 on failure.
int listen_on_loopback(int& port);
// A connected socket to 127.0.0.1:port; -1 on failure.
int connect_to_loopback(int port);
// A port on 127.0.0.1 where nothing listens, so a connection is refused.
int refused_port();

// Sends all of `bytes`; false when the peer went away.
bool send_all(int socket, const std::string& bytes);

// Reads up to `size` bytes into `buffer`; 0 at the end of the stream, negative on error.
using StreamReader = std::function<long(char* buffer, std::size_t size)>;
StreamReader socket_reader(int socket);

// Reads a request or response head up to and including the empty line; whatever was
// read beyond it is left in `rest`. False when the peer closed first.
bool read_head(const StreamReader& read, std::string& head, std::string& rest);

// The value of the first header of `head` named `name` (letter case ignored), or "".
std::string header_value(const std::string& head, const std::string& name);

// Accepts connections on 127.0.0.1 (ephemeral port) and hands each to `serve` on its
// own thread; the socket is closed once `serve` returns. Destruction stops accepting,
// shuts the open connections down and waits for every thread.
class LoopbackAcceptor {
  public:
    explicit LoopbackAcceptor(std::function<void(int socket)> serve);
    ~LoopbackAcceptor();
    LoopbackAcceptor(const LoopbackAcceptor&) = delete;
    LoopbackAcceptor& operator=(const LoopbackAcceptor&) = delete;

    int port() const { return port_; }
    bool stopping() const { return stopping_; }

  private:
    void accept_loop();

    std::function<void(int)> serve_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::set<int> open_sockets_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

}  // namespace velmora::testing
