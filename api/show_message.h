#pragma once

#include "base/controls/controls.h"
#include "base/types.h"

namespace velmora {

// A message box with only an OK button and the caption "信息："; returns when closed.
void show_message(Controls& controls, const Text& message);

}  // namespace velmora
