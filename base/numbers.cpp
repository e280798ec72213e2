#include "base/numbers.h"

#include <cmath>

namespace velmora {

std::int32_t shift_left(std::int32_t value, int count) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) << (count & 31));
}

std::int32_t shift_right(std::int32_t value, int count) {
    return value >> (count & 31);
}

double remainder(double dividend, double divisor) {
    return std::fmod(dividend, divisor);
}

}  // namespace velmora
