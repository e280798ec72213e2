#pragma once

#include "base/controls/controls.h"
#include "base/types.h"

namespace velmora {

// The text of ID1, a comma and the text of Token, read from the edit boxes now, so a
// change the user makes takes effect at the next request (on either thread).
Text credential_text(Controls& controls);

}  // namespace velmora
