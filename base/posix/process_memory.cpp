#include "base/system/process_memory.h"

#include <malloc.h>

// libcurl links librtmp, which links GnuTLS, whose library constructor sets itself up (and
// reads p11-kit's module list) in every process that maps it: three quarters of a megabyte
// that nothing here uses, since transfers speak only HTTP and HTTPS over OpenSSL. The
// constructor asks this hook, a weak symbol of GnuTLS's own, whether to skip that; the
// program that calls settle_process_memory links this file and exports the hook
// (app/CMakeLists.txt), so the answer is ours. Whatever called GnuTLS after all would set
// it up itself, as GnuTLS asks of every program that skips the implicit set-up.
extern "C" int _gnutls_global_init_skip() {
    return 1;
}

namespace velmora {

void settle_process_memory() {
    mallopt(M_ARENA_MAX, 1);
}

void return_free_memory() {
    // Every arena, and from the middle of a heap too.
    malloc_trim(0);
}

}  // namespace velmora
