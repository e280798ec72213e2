#include "api/reply_markers.h"

#include "base/markers.h"

namespace velmora {

TextList reply_fields(const Text& reply, MarkerPair markers) {
    TextList fields;
    all_texts_between(reply, markers.left, markers.right, fields);
    return fields;
}

}  // namespace velmora
