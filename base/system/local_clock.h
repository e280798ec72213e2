// The machine's own clock, for when the network time cannot be had.
#pragma once

#include "base/types.h"

namespace velmora {

// The local wall-clock time now, to the second.
DateTime local_now();

}  // namespace velmora
