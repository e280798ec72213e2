#pragma once

#include "api/api_context.h"
#include "base/types.h"
#include "update/update_loop.h"

namespace velmora {

// The 登入 button: checks that ID and token were typed, empties the six record
// lists, puts the current public address into the title, saves the settings,
// names the pages after the account's domains and loads every named page, 100
// ms apart. A successful page-1 load starts the update loop (once per process).
//
// The button is disabled while the flow runs, so a click during one of its
// waits cannot start a second flow inside the first.
void run_login(const ApiContext& context, const Text& settings_path, UpdateLoop& update_loop);

}  // namespace velmora
