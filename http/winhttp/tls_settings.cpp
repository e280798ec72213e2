#include "http/tls_settings.h"

namespace velmora {

// WinHttp takes no bundle file: it trusts the Root stores alone, so there is nothing to set.
void set_extra_ca_file(const std::string& /*pem_path*/) {}

}  // namespace velmora
