// The addresses of the fixture host (http/tests/support/fixture_host_main.cpp), a native
// process that the test set-up started: read from the key=value file its start wrote,
// whose path the build gives as VELMORA_HTTP_FIXTURE_PORTS.
#pragma once

#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

namespace velmora::testing {

class FixtureHost {
  public:
    FixtureHost() {
        std::ifstream file(VELMORA_HTTP_FIXTURE_PORTS);
        for (std::string line; std::getline(file, line);) {
            const auto equals = line.find('=');
            if (equals != std::string::npos) {
                values_[line.substr(0, equals)] = line.substr(equals + 1);
            }
        }
        if (!values_.count("ca_file")) {
            throw std::runtime_error("no fixture host in " VELMORA_HTTP_FIXTURE_PORTS);
        }
    }

    const std::string& value(const std::string& key) const { return values_.at(key); }

    // "localhost:PORT" of `server` (plain, tls, untrusted, silent, refused, proxy): the
    // name, not the address, since Wine matches certificates against DNS names only.
    std::string authority(const std::string& server) const {
        return "localhost:" + value(server + "_port");
    }

    // The server's URL for `path`, https for the two TLS servers.
    std::string url(const std::string& server, const std::string& path = "/") const {
        const bool secure = server == "tls" || server == "untrusted";
        return (secure ? "https://" : "http://") + authority(server) + path;
    }

  private:
    std::map<std::string, std::string> values_;
};

}  // namespace velmora::testing
