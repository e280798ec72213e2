// Internal: applies the process-wide trust settings to one libcurl handle.
#pragma once

#include <curl/curl.h>

namespace velmora {

// Switches peer and host-name verification on and adds the extra CA bundle to the
// system store of the handle. False when libcurl refuses one of the options.
bool apply_tls_verification(CURL* handle);

// Changes whenever the trust settings do (set_extra_ca_file), so that TLS sessions
// verified under the old ones are not resumed under the new.
unsigned long trust_generation();

}  // namespace velmora
