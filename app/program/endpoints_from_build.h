#pragma once

#include "base/endpoints.h"

namespace velmora {

// The endpoints this build was configured with (CMake cache variables
// VELMORA_*).
Endpoints endpoints_from_build();

}  // namespace velmora
