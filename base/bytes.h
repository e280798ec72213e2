// Operations on counted byte buffers. Positions are 1-based; out-of-range positions and
// lengths are clamped, never an error.
//
// Part of the runtime's stated interface: each operation stays even where no caller
// uses it yet.
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>

#include "base/types.h"

namespace velmora {

int bytes_length(const Bytes& bytes);

// The first n bytes, n clamped to 0..length.
Bytes bytes_left(const Bytes& bytes, int n);

// Up to n bytes from the 1-based `start`. A start below 1 is taken as 1; a start past
// the end gives the empty buffer.
Bytes bytes_middle(const Bytes& bytes, int start, int n);

// n zero bytes; n of 0 or less gives the empty buffer.
Bytes blank_bytes(int n);

template <typename... Parts>
    requires(sizeof...(Parts) >= 2 && (std::is_same_v<Parts, Bytes> && ...))
Bytes join_bytes(const Parts&... parts) {
    Bytes joined;
    joined.reserve((parts.size() + ...));
    (joined.insert(joined.end(), parts.begin(), parts.end()), ...);
    return joined;
}

// -1, 0 or 1 by the first differing byte (unsigned); a buffer that is a prefix of the
// other is the smaller.
int bytes_equal(const Bytes& a, const Bytes& b);

// A copy of `length` bytes at `address`; empty for a null address or a length below 1.
Bytes bytes_from_memory(const void* address, int length);

// What bytes_read_value reads from the start of a buffer: a 32-bit little-endian integer,
// or a text up to the first zero byte (the whole buffer when it holds none). A buffer
// shorter than the integer reads as if padded with zero bytes.
struct Int32Value {};
struct TextValue {};
std::int32_t bytes_read_value(const Bytes& bytes, Int32Value);
Text bytes_read_value(const Bytes& bytes, TextValue);

}  // namespace velmora
