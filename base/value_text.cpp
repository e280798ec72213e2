#include "base/value_text.h"

#include <algorithm>
#include <bit>
#include <charconv>

#include "base/date_time.h"
#include "base/gbk.h"

namespace velmora {

namespace {

template <typename Number, typename... Options>
Text chars_of(Number value, Options... options) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, options...);
    return Text(buffer, result.ptr);
}

template <typename Unsigned>
Bytes little_endian(Unsigned bits) {
    Bytes bytes(sizeof(Unsigned));
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(bits & 0xFF);
        bits = static_cast<Unsigned>(bits >> 8);
    }
    return bytes;
}

}  // namespace

Text to_text(std::int32_t value) {
    return chars_of(value);
}
Text to_text(std::int16_t value) {
    return chars_of(value);
}
Text to_text(std::uint8_t value) {
    return chars_of(value);
}
Text to_text(std::int64_t value) {
    return chars_of(value);
}
Text to_text(double value) {
    return chars_of(value, std::chars_format::general, 13);
}
// Rounding to six significant digits is the reduction itself; the float is widened
// exactly, so no further digits creep in.
Text to_text(float value) {
    return chars_of(static_cast<double>(value), std::chars_format::general, 6);
}
Text to_text(bool value) {
    return value ? gbk("真") : gbk("假");
}
Text to_text(DateTime value) {
    return date_time_to_text(value);
}
Text to_text(const Text& value) {
    return value;
}

Text to_text(const Bytes& value) {
    const auto end = std::find(value.begin(), value.end(), std::uint8_t{0});
    return Text(value.begin(), end);
}

Bytes to_bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}
Bytes to_bytes(std::int32_t value) {
    return little_endian(static_cast<std::uint32_t>(value));
}
Bytes to_bytes(std::int16_t value) {
    return little_endian(static_cast<std::uint16_t>(value));
}
Bytes to_bytes(std::uint8_t value) {
    return Bytes{value};
}
Bytes to_bytes(std::int64_t value) {
    return little_endian(static_cast<std::uint64_t>(value));
}
Bytes to_bytes(double value) {
    return little_endian(std::bit_cast<std::uint64_t>(value));
}
Bytes to_bytes(float value) {
    return little_endian(std::bit_cast<std::uint32_t>(value));
}
Bytes to_bytes(DateTime value) {
    return to_bytes(value.days);
}

}  // namespace velmora
