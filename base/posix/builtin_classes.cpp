#include "base/backend.h"
#include "base/posix/regexp_object.h"
#include "base/posix/text_stream_object.h"

namespace velmora::backend {

// Linux has no component automation, so the two classes the program creates are ours.
std::vector<BuiltinClass> builtin_automation_classes() {
    return {{regexp_prog_id, regexp_class_id, make_regexp_object},
            {text_stream_prog_id, text_stream_class_id, make_text_stream_object}};
}

ComObject create_platform_object(const Text& /*class_name*/) {
    return {};
}

}  // namespace velmora::backend
