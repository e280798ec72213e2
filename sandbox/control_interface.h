// The sandbox's control interface: plain HTTP under /control/ on its own loopback
// port, so tests and scripts in another process can steer the sandbox and read what
// it holds. The routes are listed in sandbox/README.md.
#pragma once

namespace httplib {
class Server;
}

namespace velmora::sandbox {

class SandboxServer;

void add_control_routes(httplib::Server& server, SandboxServer& sandbox);

}  // namespace velmora::sandbox
