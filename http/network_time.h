// The time stamps of the run log come from a web server's "Date:" header rather than
// the local clock.
#pragma once

#include <optional>

#include "base/types.h"

namespace velmora {

// Sends HEAD to `time_url` and returns the reply's Date header as a date-time eight
// hours ahead of UTC; nothing when the reply has no readable Date header (no network,
// for example), so that the caller can fall back on another clock rather than date its
// lines in the year 100.
std::optional<DateTime> network_time(const Text& time_url);

}  // namespace velmora
