#include "base/threads.h"

#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <utility>

namespace velmora {

namespace {

// The open handles. A handle only names its thread; the thread itself runs detached,
// so closing a handle never waits for or stops the thread.
struct HandleRegistry {
    std::mutex mutex;
    std::unordered_set<ThreadHandle> open;
    ThreadHandle last = 0;

    ThreadHandle open_new() {
        std::lock_guard lock(mutex);
        do {
            ++last;
        } while (last == 0 || open.contains(last));
        open.insert(last);
        return last;
    }
};

HandleRegistry& registry() {
    static HandleRegistry handles;
    return handles;
}

}  // namespace

bool start_thread(ThreadRoutine routine, std::int32_t parameter, ThreadHandle* handle) {
    if (!routine) {
        return false;
    }
    try {
        std::thread(std::move(routine), parameter).detach();
    } catch (const std::system_error&) {
        return false;
    }
    if (handle != nullptr) {
        *handle = registry().open_new();
    }
    return true;
}

bool close_handle(ThreadHandle handle) {
    HandleRegistry& handles = registry();
    std::lock_guard lock(handles.mutex);
    return handles.open.erase(handle) == 1;
}

std::size_t open_thread_handles() {
    HandleRegistry& handles = registry();
    std::lock_guard lock(handles.mutex);
    return handles.open.size();
}

}  // namespace velmora
