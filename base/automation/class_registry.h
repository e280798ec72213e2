// The native classes create_object can make, by programmatic identifier or class
// identifier. "VBScript.RegExp" is present from the start.
#pragma once

#include "base/automation/automation_class.h"

namespace velmora {

// The factory of the class named `class_name` (a programmatic identifier, or a class
// identifier in braces), or an empty function when there is none.
AutomationFactory find_automation_class(const Text& class_name);

}  // namespace velmora
