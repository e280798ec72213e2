#include "http/base64.h"

#include <cstdint>

namespace velmora {

std::string base64_encode(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = static_cast<std::uint8_t>(bytes[i]) << 16 |
                                    static_cast<std::uint8_t>(bytes[i + 1]) << 8 |
                                    static_cast<std::uint8_t>(bytes[i + 2]);
        out += kAlphabet[group >> 18 & 0x3F];
        out += kAlphabet[group >> 12 & 0x3F];
        out += kAlphabet[group >> 6 & 0x3F];
        out += kAlphabet[group & 0x3F];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        std::uint32_t group = static_cast<std::uint8_t>(bytes[i]) << 16;
        if (rest == 2) {
            group |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
        }
        out += kAlphabet[group >> 18 & 0x3F];
        out += kAlphabet[group >> 12 & 0x3F];
        out += rest == 2 ? kAlphabet[group >> 6 & 0x3F] : '=';
        out += '=';
    }
    return out;
}

}  // namespace velmora
