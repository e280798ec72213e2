// The time stamps of the run log come from a web server's "Date:" header rather than
// the local clock.
#pragma once

#include "base/types.h"

namespace velmora {

// Sends HEAD to `time_url` and returns the reply's Date header as a date-time eight
// hours ahead of UTC. Without a readable Date header (no network, for example) the
// calendar fields are all zero and the result is the date-time built from them, plus
// eight hours.
DateTime network_time(const Text& time_url);

}  // namespace velmora
