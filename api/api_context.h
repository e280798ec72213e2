// What every provider call needs: the window's controls (for the credential and for
// showing results) and the endpoints to talk to. Tests fill both with their own.
#pragma once

#include "base/controls/controls.h"
#include "base/endpoints.h"

namespace velmora {

struct ApiContext {
    Controls& controls;
    const Endpoints& endpoints;
};

}  // namespace velmora
