#include "base/backend.h"
#include "base/posix/regexp_object.h"

namespace velmora::backend {

// Linux has no component automation, so the classes the program creates are ours (the
// request class registers itself from the network layer).
std::vector<BuiltinClass> builtin_automation_classes() {
    return {{regexp_prog_id, regexp_class_id, make_regexp_object}};
}

ComObject create_platform_object(const Text& /*class_name*/) {
    return {};
}

}  // namespace velmora::backend
