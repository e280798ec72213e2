// The run log's full history on disk: every line the window's log shows (which keeps
// only its newest lines), appended and flushed one by one to velmora.log beside the
// settings file, in the platform's text encoding. At 1 MiB the file is rotated:
// velmora.log becomes velmora.log.1, .1 becomes .2, .2 becomes .3, and the oldest goes.
#pragma once

#include <cstdint>
#include <mutex>

#include "base/types.h"

namespace velmora {

class HistoryFile {
  public:
    static constexpr std::uint64_t kRotationSize = 1024 * 1024;
    static constexpr int kOldFilesKept = 3;

    explicit HistoryFile(Text path, std::uint64_t rotation_size = kRotationSize);

    // Appends one log line (GBK, without its line break). False when it could not be
    // written (a read-only folder, a full disk); the next line tries again.
    bool append(const Text& line);

    const Text& path() const { return path_; }

  private:
    void rotate();

    const Text path_;
    const std::uint64_t rotation_size_;
    std::mutex mutex_;  // the window thread and the update thread both log
};

// velmora.log in the folder of the settings file at `settings_path`.
Text history_path_beside(const Text& settings_path);

}  // namespace velmora
