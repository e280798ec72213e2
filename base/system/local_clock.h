// The machine's own clock, for when the network time cannot be had.
#pragma once

#include "base/types.h"

namespace velmora {

// The machine's clock now, to the second, in UTC+8: the zone the network time is given
// in, so that lines dated by either clock read alike wherever the machine stands.
DateTime machine_now_utc8();

}  // namespace velmora
