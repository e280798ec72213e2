#include "api/credential.h"

#include "base/controls/control_names.h"

namespace velmora {

Text credential_text(Controls& controls) {
    return controls.edit_text(control::id_edit()) + "," + controls.edit_text(control::token_edit());
}

}  // namespace velmora
