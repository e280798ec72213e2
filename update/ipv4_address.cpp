#include "update/ipv4_address.h"

namespace velmora {

bool is_plain_ipv4(const Text& text) {
    int fields = 0;
    std::size_t i = 0;
    while (fields < 4) {
        int value = 0;
        int digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 3) {
            value = value * 10 + (text[i] - '0');
            ++digits;
            ++i;
        }
        if (digits == 0 || value > 255) {
            return false;
        }
        ++fields;
        if (fields < 4) {
            if (i >= text.size() || text[i] != '.') {
                return false;
            }
            ++i;
        }
    }
    return i == text.size();
}

}  // namespace velmora
