#pragma once

#include "base/controls.h"
#include "base/endpoints.h"
#include "base/types.h"

namespace velmora {

// The current network time as the log writes it, e.g. "2024年3月5日14时7分9秒"; asked of
// the network-time site each time, so the log shows network time, not the local clock.
Text network_time_text(const Endpoints& endpoints);

// Appends "[" + time + "]：" + message + "\r\n" at the end of 运行栏.
void append_log_line(Controls& controls, const Text& time, const Text& message);

}  // namespace velmora
