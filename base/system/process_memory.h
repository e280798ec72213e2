// How a long-running process keeps its memory small.
#pragma once

namespace velmora {

// For a program that runs for months with little to do, called first in its main, before
// any thread starts: the threads share one heap instead of each growing an arena of its
// own. Linux also keeps the TLS library that only libcurl's unused RTMP support links
// from setting itself up (see the backend). Windows: nothing to settle.
void settle_process_memory();

// Returns to the system the pages the heap keeps free after a burst of work, such as an
// update pass with its TLS handshakes: a run that is left alone would otherwise hold its
// busiest moment's memory for good. Costs a walk over the heap, so it belongs between
// passes, not inside one.
void return_free_memory();

}  // namespace velmora
