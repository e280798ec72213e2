// An exclusive lock on a file, held for the life of the object: two processes that both
// run the update loop on one settings file would race on the same records.
#pragma once

#include <optional>

#include "base/types.h"

namespace velmora {

class FileLock {
  public:
    // The lock on `path` (the file is made when missing), or nothing when another
    // process holds it or the file cannot be opened.
    static std::optional<FileLock> take(const Text& path);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&&) = delete;
    ~FileLock();

  private:
    explicit FileLock(int descriptor) : descriptor_(descriptor) {}
    int descriptor_ = -1;
};

}  // namespace velmora
