// Bit and remainder operations on the system's numbers.
//
// Part of the runtime's stated interface: each operation stays even where no caller
// uses it yet.
#pragma once

#include <cstdint>
#include <type_traits>

namespace velmora {

template <typename... Operands>
    requires(sizeof...(Operands) >= 2 && (std::is_same_v<Operands, std::int32_t> && ...))
std::int32_t bit_and(Operands... operands) {
    return (operands & ...);
}

template <typename... Operands>
    requires(sizeof...(Operands) >= 2 && (std::is_same_v<Operands, std::int32_t> && ...))
std::int32_t bit_or(Operands... operands) {
    return (operands | ...);
}

// The count is taken modulo 32; the right shift keeps the sign.
std::int32_t shift_left(std::int32_t value, int count);
std::int32_t shift_right(std::int32_t value, int count);

// The remainder of dividend / divisor, with the sign of the dividend.
double remainder(double dividend, double divisor);

}  // namespace velmora
