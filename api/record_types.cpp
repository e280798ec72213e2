#include "api/record_types.h"

namespace velmora {

bool follows_an_address(const Text& record_type) {
    return record_type == "A" || follows_the_ipv6_address(record_type);
}

bool follows_the_ipv6_address(const Text& record_type) {
    return record_type == "AAAA";
}

}  // namespace velmora
