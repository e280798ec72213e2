// The marker pairs that cut fields out of the provider's JSON replies. The replies are
// never parsed: a quoted marker sees only quoted values, the bare "id": marker sees
// unquoted numbers (and quoted ids with their quotes), and nesting is ignored, so the
// fields of an enclosing object come out together with those of its items, in order.
#pragma once

#include "base/types.h"

namespace velmora {

struct MarkerPair {
    const char* left;
    const char* right;
};

namespace reply_marker {

inline constexpr MarkerPair kCode{"\"code\":\"", "\","};
inline constexpr MarkerPair kMessage{"\"message\":\"", "\","};
inline constexpr MarkerPair kDomainName{"\"punycode\":\"", "\","};
inline constexpr MarkerPair kUnquotedId{"\"id\":", ","};
inline constexpr MarkerPair kQuotedId{"\"id\":\"", "\","};
inline constexpr MarkerPair kName{"\"name\":\"", "\","};
inline constexpr MarkerPair kType{"\"type\":\"", "\","};
inline constexpr MarkerPair kValue{"\"value\":\"", "\","};
inline constexpr MarkerPair kTtl{"\"ttl\":\"", "\","};

}  // namespace reply_marker

// Every piece of the reply between the pair's markers, in reply order.
TextList reply_fields(const Text& reply, MarkerPair markers);

}  // namespace velmora
