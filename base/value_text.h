// The text form and the storage bytes of the system's values.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/types.h"

namespace velmora {

Text to_text(std::int32_t value);  // "%d"
Text to_text(std::int16_t value);  // "%d"
Text to_text(std::uint8_t value);  // "%u"
Text to_text(std::int64_t value);
Text to_text(double value);    // "%.13g"
Text to_text(float value);     // "%.6g": six significant digits
Text to_text(bool value);      // "真" or "假"
Text to_text(DateTime value);  // as date_time_to_text
Text to_text(const Text& value);
Text to_text(const Bytes& value);  // the bytes up to the first zero byte
// A string literal would otherwise silently pick the bool overload.
Text to_text(const char*) = delete;

// The value's storage: a text's bytes; numbers and date-times as little-endian bytes.
Bytes to_bytes(std::string_view text);
Bytes to_bytes(std::int32_t value);
Bytes to_bytes(std::int16_t value);
Bytes to_bytes(std::uint8_t value);
Bytes to_bytes(std::int64_t value);
Bytes to_bytes(double value);
Bytes to_bytes(float value);
Bytes to_bytes(DateTime value);

}  // namespace velmora
