// Changing an automation value to the kind a caller needs, the way the platform's variant
// change works for the kinds this layer holds. Each gives std::nullopt when the change is
// impossible (an object or a byte array to a string, a non-numeric string to a number, …).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/automation/automation.h"

namespace velmora {

std::optional<std::u16string> change_to_string(const Variant& value);
// Empty is 0; true is -1 (all bits set), false 0; a string must hold a number.
std::optional<double> change_to_number(const Variant& value);
// Rounded half to even, as the platform does; nullopt outside the 32-bit range.
std::optional<std::int32_t> change_to_integer(const Variant& value);
// Numbers are true when not 0; strings "True"/"False" (case ignored) or a number.
std::optional<bool> change_to_boolean(const Variant& value);

// "YYYY/M/D H:MM:SS"; the time alone on day 0 (1899-12-30), else the date alone at midnight.
std::u16string date_time_string(DateTime value);

}  // namespace velmora
