#include "api/show_message.h"

#include "base/gbk.h"

namespace velmora {

void show_message(Controls& controls, const Text& message) {
    constexpr int kOkOnly = 0;
    controls.message_box(message, kOkOnly, gbk("信息："));
}

}  // namespace velmora
