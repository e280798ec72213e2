// Trust settings shared by every HTTPS request of the process.
//
// Certificates are always verified: against the system's store and, on Linux, besides
// it the PEM bundle named here (the substitute server's CA in test and demo builds). On
// Windows the platform trusts only its Root stores, so that CA must be added there.
#pragma once

#include <string>

namespace velmora {

// Names the extra PEM bundle; an empty path trusts the system store alone. Meant to be
// called once at start-up (main, or a test's set-up) before requests are made; later
// calls replace the bundle for requests that start afterwards.
void set_extra_ca_file(const std::string& pem_path);

}  // namespace velmora
