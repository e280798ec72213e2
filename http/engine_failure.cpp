#include "http/engine_failure.h"

namespace velmora {

bool is_engine_failure(const Text& status_text) {
    if (status_text.size() < 4 || status_text[3] != ' ') {
        return false;
    }
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        const char digit = status_text[i];
        if (digit < '0' || digit > '9') {
            return false;
        }
        code = code * 10 + (digit - '0');
    }
    return code >= 700 && code <= 713;
}

}  // namespace velmora
