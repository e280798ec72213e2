// An exclusive lock on a file, held for the life of the object: two processes that both
// run the update loop on one settings file would race on the same records.
#pragma once

#include <cstdint>
#include <optional>

#include "base/types.h"

namespace velmora {

class FileLock {
  public:
    enum class Refusal {
        held,         // another process holds it
        cannot_open,  // the file cannot be made or opened (a read-only folder)
    };

    // The lock on `path` (the file is made when missing), or nothing, with why in
    // `refusal` when given.
    static std::optional<FileLock> take(const Text& path, Refusal* refusal = nullptr);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&&) = delete;
    ~FileLock();

  private:
    // A descriptor (Linux) or a file handle (Windows); -1 for none on both.
    explicit FileLock(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_ = -1;
};

// Where a lock may go when the settings' folder cannot take one: the service's runtime
// folder ($RUNTIME_DIRECTORY, else $XDG_RUNTIME_DIR) on Linux; empty when there is none,
// and on Windows, whose settings folder is always the program's own.
Text runtime_lock_directory();

}  // namespace velmora
