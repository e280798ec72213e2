#include "update/history_file.h"

#include <algorithm>
#include <string>
#include <utility>

#include "base/system/local_text.h"
#include "base/system/plain_files.h"
#include "base/text.h"

namespace velmora {

HistoryFile::HistoryFile(Text path, std::uint64_t rotation_size)
    : path_(std::move(path)), rotation_size_(rotation_size) {}

bool HistoryFile::append(const Text& line) {
    const std::string bytes = local_text_line(line);
    std::lock_guard lock(mutex_);
    const auto size = file_size(path_);
    if (size && *size > 0 && *size + bytes.size() > rotation_size_) {
        rotate();
    }
    return append_to_file(path_, bytes);
}

void HistoryFile::rotate() {
    // A rename that fails (an old file held open elsewhere) leaves that file where it is;
    // the current file still moves on, so the history keeps growing only up to the limit.
    for (int n = kOldFilesKept - 1; n >= 1; --n) {
        rename_file(path_ + "." + std::to_string(n), path_ + "." + std::to_string(n + 1));
    }
    rename_file(path_, path_ + ".1");
}

Text history_path_beside(const Text& settings_path) {
    // Walked character by character: in GBK a backslash byte may be the second half of
    // a Chinese character in a folder's name.
    const int separator =
        std::max(find_last_text(settings_path, "/"), find_last_text(settings_path, "\\"));
    return text_left(settings_path, std::max(separator, 0)) + "velmora.log";
}

}  // namespace velmora
