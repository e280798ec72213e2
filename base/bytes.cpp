#include "base/bytes.h"

#include <algorithm>
#include <cstring>

#include "base/value_text.h"

namespace velmora {

namespace {

using Size = Bytes::size_type;

Size clamped_count(int n, Size limit) {
    return n > 0 ? std::min(static_cast<Size>(n), limit) : 0;
}

}  // namespace

int bytes_length(const Bytes& bytes) {
    return static_cast<int>(bytes.size());
}

Bytes bytes_left(const Bytes& bytes, int n) {
    return Bytes(bytes.begin(),
                 bytes.begin() + static_cast<std::ptrdiff_t>(clamped_count(n, bytes.size())));
}

Bytes bytes_middle(const Bytes& bytes, int start, int n) {
    const Size offset = start > 1 ? std::min(static_cast<Size>(start - 1), bytes.size()) : 0;
    const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    return Bytes(first,
                 first + static_cast<std::ptrdiff_t>(clamped_count(n, bytes.size() - offset)));
}

Bytes blank_bytes(int n) {
    return Bytes(n > 0 ? static_cast<Size>(n) : 0, 0);
}

int bytes_equal(const Bytes& a, const Bytes& b) {
    const auto order =
        std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end());
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

Bytes bytes_from_memory(const void* address, int length) {
    if (address == nullptr || length < 1) {
        return {};
    }
    const auto* first = static_cast<const std::uint8_t*>(address);
    return Bytes(first, first + length);
}

std::int32_t bytes_read_value(const Bytes& bytes, Int32Value) {
    std::uint32_t bits = 0;
    const Size count = std::min<Size>(bytes.size(), 4);
    for (Size i = 0; i < count; ++i) {
        bits |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    }
    return static_cast<std::int32_t>(bits);
}

Text bytes_read_value(const Bytes& bytes, TextValue) {
    return to_text(bytes);
}

}  // namespace velmora
