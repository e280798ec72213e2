// The verb index the request operations take, shared by both request paths.
#pragma once

#include <array>

namespace velmora {

// 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT. Indexes above
// `highest` (or outside the table) give GET.
inline const char* verb_for_method(int method, int highest = 7) {
    static constexpr std::array<const char*, 8> verbs{"GET",     "POST",   "HEAD",  "PUT",
                                                      "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    if (method < 0 || method > highest || method >= static_cast<int>(verbs.size())) {
        return "GET";
    }
    return verbs[static_cast<std::size_t>(method)];
}

}  // namespace velmora
