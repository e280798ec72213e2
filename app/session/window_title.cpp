#include "app/session/window_title.h"

#include "base/gbk.h"
#include "update/address_discovery.h"
#include "update/ipv6_discovery.h"

namespace velmora {

Text window_title_for_address(const Text& address, const Text& address6) {
    return gbk("Velmora|本机外网IP：") + address + (address6.empty() ? Text() : "|" + address6);
}

Text window_title_now(const Endpoints& endpoints) {
    return window_title_for_address(discover_public_address(endpoints),
                                    discover_public_ipv6(endpoints).address);
}

}  // namespace velmora
