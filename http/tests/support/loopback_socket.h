// Small POSIX socket helpers for the test servers; everything stays on 127.0.0.1.
#pragma once

#include <functional>
#include <string>

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

}  // namespace velmora::testing
