#include "http/winhttp/open_requests.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "base/event_pump.h"
#include "http/winhttp/winhttp_functions.h"

namespace velmora {
namespace {

struct OpenRequests {
    std::mutex mutex;
    std::vector<HINTERNET> handles;
};

// Never destroyed: a worker whose exchange outlived the wait may still untrack its
// handle while the process exits.
OpenRequests& open_requests() {
    static OpenRequests& requests = *new OpenRequests;
    return requests;
}

// Whoever takes a handle out of the list closes it, so it is closed exactly once.
void close_all() {
    std::vector<HINTERNET> taken;
    {
        OpenRequests& requests = open_requests();
        std::lock_guard lock(requests.mutex);
        taken.swap(requests.handles);
    }
    for (HINTERNET request : taken)
        winhttp_functions()->close_handle(request);
}

}  // namespace

void track_request(HINTERNET request) {
    static const bool listening = (add_shutdown_listener(&close_all), true);
    (void)listening;
    OpenRequests& requests = open_requests();
    {
        std::lock_guard lock(requests.mutex);
        requests.handles.push_back(request);
    }
    // A shutdown that began before the handle was listed has closed the others only.
    if (shutdown_requested())
        close_all();
}

bool untrack_request(HINTERNET request) {
    OpenRequests& requests = open_requests();
    std::lock_guard lock(requests.mutex);
    const auto found = std::find(requests.handles.begin(), requests.handles.end(), request);
    if (found == requests.handles.end())
        return false;
    requests.handles.erase(found);
    return true;
}

}  // namespace velmora
