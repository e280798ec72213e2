// The time stamps of the run log come from a web server's "Date:" header rather than
// the local clock.
#pragma once

#include <optional>

#include "base/types.h"

namespace velmora {

// Sends HEAD to `time_url` and returns the reply's Date header as a date-time eight
// hours ahead of UTC. Without a readable Date header (no network, for example) the
// calendar fields are all zero and the result is the date-time built from them, plus
// eight hours.
DateTime network_time(const Text& time_url);

// The same request, but nothing when the reply has no readable Date header, so that a
// caller can fall back on another clock instead of the zero date.
std::optional<DateTime> network_time_if_known(const Text& time_url);

}  // namespace velmora
