#pragma once

#include "base/types.h"

namespace velmora {

// Whether a request's status text is one of the engine's numbered failure messages
// ("711 发送请求失败!", 700 to 713) rather than the status line a server sent
// ("200 OK"): servers' status codes never go beyond 599.
bool is_engine_failure(const Text& status_text);

}  // namespace velmora
