// Starting background threads, with an optional handle the caller closes later.
//
// Part of the runtime's stated interface: each operation stays even where no caller
// uses it yet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace velmora {

// An opaque, process-unique id for a started thread; 0 is never a valid handle.
using ThreadHandle = std::uint32_t;

using ThreadRoutine = std::function<void(std::int32_t parameter)>;

// Starts `routine(parameter)` on a new thread at once. With `handle`, the thread's
// handle is stored there and stays open until close_handle; without it nothing is
// left open. The thread keeps running whether or not its handle is closed.
// False (and no handle) when the thread cannot be created.
bool start_thread(ThreadRoutine routine, std::int32_t parameter = 0,
                  ThreadHandle* handle = nullptr);

// Closes a handle from start_thread. False for a handle that is not open.
bool close_handle(ThreadHandle handle);

// How many thread handles are open right now.
std::size_t open_thread_handles();

}  // namespace velmora
