// Internal: the request handles of the exchanges in flight. request_shutdown() closes
// them from whichever thread calls it, which ends a send, receive or read that blocks
// inside WinHttp at once.
#pragma once

#include <windows.h>
#include <winhttp.h>

namespace velmora {

// Tracks an open request handle until untrack_request. A handle tracked after shutdown
// began is closed at once.
void track_request(HINTERNET request);

// Ends tracking; true when the caller still owns the handle and must close it, false
// when shutdown has already closed it.
bool untrack_request(HINTERNET request);

}  // namespace velmora
