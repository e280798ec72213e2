// The value types every subsystem passes around.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// A GBK byte string. Lengths and positions count bytes; positions handed to and
// returned by the text operations are 1-based, and a failed search gives -1.
// A Text never holds a zero byte: the platform's strings end at the first one.
using Text = std::string;

// A counted byte buffer that may hold any byte values, zeros included.
using Bytes = std::vector<std::uint8_t>;

// An ordered list of texts, the result of a split or a marker scan.
using TextList = std::vector<Text>;

// Days since 1899-12-30 00:00:00, the time of day as the fraction (local wall clock).
struct DateTime {
    double days = 0.0;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

}  // namespace velmora
