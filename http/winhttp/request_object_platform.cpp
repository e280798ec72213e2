#include "http/request_object_class.h"

namespace velmora {

// Nothing to register: create_object finds the platform's own class by its
// programmatic identifier.
void register_winhttp_request_class() {}

}  // namespace velmora
