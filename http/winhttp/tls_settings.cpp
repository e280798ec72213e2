#include "http/tls_settings.h"

#include <mutex>

namespace velmora {
namespace {

std::mutex path_mutex;
std::string extra_path;

}  // namespace

// WinHttp trusts the certificates of the user's and the machine's Root stores and takes
// no bundle file: a CA named here is trusted only once it has been added to a Root
// store (the tests' fixtures do that for their CA). The path is kept for callers that
// report it.
void set_extra_ca_file(const std::string& pem_path) {
    std::lock_guard lock(path_mutex);
    extra_path = pem_path;
}

std::string extra_ca_file() {
    std::lock_guard lock(path_mutex);
    return extra_path;
}

}  // namespace velmora
