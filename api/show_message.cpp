#include "api/show_message.h"

#include "base/controls/control_names.h"

namespace velmora {

void show_message(Controls& controls, const Text& message) {
    constexpr int kOkOnly = 0;
    controls.message_box(message, kOkOnly, control::default_box_caption());
}

}  // namespace velmora
