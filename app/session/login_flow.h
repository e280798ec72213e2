#pragma once

#include "api/api_context.h"
#include "base/types.h"
#include "update/run_log.h"
#include "update/update_loop.h"

namespace velmora {

// The 登入 button: checks that ID and token were typed, empties the six record
// lists, puts the current public address into the title, saves the settings,
// names the pages after the account's domains and loads every named page, 100
// ms apart. After each load the page's remembered watches are ticked again; a
// successful page-1 load then starts the update loop (once per process).
//
// The button is disabled while the flow runs, so a click during one of its
// waits cannot start a second flow inside the first.
struct LoginRun {
    const Text& settings_path;
    UpdateLoop& update_loop;
    RunLog& log;
    // A login the program makes by itself at start shows no box unless it fails.
    bool quiet = false;
    // Whether a successful login starts the update loop (a single pass runs without).
    bool start_loop = true;
    // The caller tries again when the provider could not be reached, so that failure
    // shows no box (nobody need answer it for the retry to succeed).
    bool retried_when_unreachable = false;
};

struct LoginOutcome {
    bool logged_in = false;  // page 1 logged in
    // With retried_when_unreachable, why the account's domains got no reply at all
    // (the engine's numbered message: no network, no route, a time-out, a refused
    // connection); else empty.
    Text unreachable;
};

LoginOutcome run_login(const ApiContext& context, const LoginRun& run);

}  // namespace velmora
