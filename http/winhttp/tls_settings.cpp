#include "http/tls_settings.h"

#include <mutex>

namespace velmora {
namespace {

std::mutex path_mutex;
std::string extra_path;

}  // namespace

// WinHttp takes no bundle file: the path is only kept, for callers that report it.
void set_extra_ca_file(const std::string& pem_path) {
    std::lock_guard lock(path_mutex);
    extra_path = pem_path;
}

std::string extra_ca_file() {
    std::lock_guard lock(path_mutex);
    return extra_path;
}

}  // namespace velmora
