// The echo services the user lists for the IPv4 address: section 地址来源 of the
// settings file, keys 1, 2, … in order.
#pragma once

#include <vector>

#include "base/types.h"
#include "update/ipv4_sources.h"

namespace velmora {

// Keys "1", "2", … up to the first one missing or empty; none without the section.
std::vector<EchoSource> read_echo_sources(const Text& settings_path);

}  // namespace velmora
