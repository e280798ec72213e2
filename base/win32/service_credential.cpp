#include "base/system/service_credential.h"

#include "base/gbk.h"

namespace velmora {

// The Windows service's token is protected in the machine's scope of the data
// protection API instead (base/system/token_store.h).
Text encrypt_service_credential(const Text&, const Text&) {
    return gbk("Windows 上没有 systemd 凭据：服务的Token由数据保护接口保护");
}

std::optional<Text> decrypt_service_credential(const Text&) {
    return std::nullopt;
}

}  // namespace velmora
