#include "api/form_encoding.h"

namespace velmora {

namespace {

bool changes_form_structure(unsigned char byte) {
    switch (byte) {
        case '%':
        case '&':
        case '+':
        case '=':
        case '#':
        case ' ':
            return true;
        default:
            return byte < 0x20 || byte == 0x7F;
    }
}

}  // namespace

Text form_value(const Text& value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    Text encoded;
    encoded.reserve(value.size());
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (changes_form_structure(byte)) {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

}  // namespace velmora
