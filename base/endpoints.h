// The fixed endpoints of the service. The program compiles them in; tests point the
// core at loopback servers by filling this struct themselves.
#pragma once

#include <chrono>

#include "base/types.h"

namespace velmora {

struct Endpoints {
    Text api_host;          // host[:port] of the provider API (HTTPS)
    Text httpdns_address;   // host[:port] of the HTTP-DNS endpoint (plain HTTP)
    Text httpdns6_address;  // the same endpoint reached over IPv6; may be "[::1]:port"
    Text httpdns_name;      // the host name sent in dn=
    Text time_url;          // URL whose HEAD reply carries the network time
    Text console_host;      // host of the web console (token page)
    Text extra_ca_file;     // PEM bundle trusted besides the system store; empty for none
    std::chrono::milliseconds update_period{std::chrono::seconds(120)};
};

}  // namespace velmora
