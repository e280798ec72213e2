#include "base/system/process_memory.h"

#include <malloc.h>

namespace velmora {

// The C runtime already keeps one heap for every thread.
void settle_process_memory() {}

void return_free_memory() {
    // The C runtime's heap gives its unused blocks back to the system.
    _heapmin();
}

}  // namespace velmora
