#pragma once

#include "api/api_context.h"
#include "base/types.h"

namespace velmora {

// Runs once when the window and its controls exist: the public address into the
// title, then the remembered ID, token and check-box state from the settings
// file. The empty text, or the line that says why a protected token could not be had.
Text on_window_created(const ApiContext& context, const Text& settings_path);

}  // namespace velmora
