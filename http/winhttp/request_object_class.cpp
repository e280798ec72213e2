#include "http/winhttp_request_object.h"

namespace velmora {

// Nothing to register: create_object finds the platform's own class by its
// programmatic identifier.
void register_winhttp_request_class() {}

}  // namespace velmora
