#include "base/backend.h"

namespace velmora::backend {

// On Windows the classes the program creates are the platform's own (see
// dispatch_object.cpp); nothing of ours stands in for them.
std::vector<BuiltinClass> builtin_automation_classes() {
    return {};
}

}  // namespace velmora::backend
