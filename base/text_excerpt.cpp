#include "base/text_excerpt.h"

namespace velmora {

Text one_line_excerpt(const Text& text, std::size_t max_bytes) {
    Text excerpt;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t width = byte >= 0x80 && i + 1 < text.size() ? 2 : 1;
        if (excerpt.size() + width > max_bytes) {
            return excerpt + "...";
        }
        if (byte < 0x20 || byte == 0x7F) {
            excerpt += ' ';
        } else {
            excerpt.append(text, i, width);
        }
        i += width;
    }
    return excerpt;
}

}  // namespace velmora
