#include "app/window_title.h"

#include "base/gbk.h"

namespace velmora {

Text window_title_for_address(const Text& address) {
    return gbk("Velmora|本机外网IP：") + address;
}

}  // namespace velmora
