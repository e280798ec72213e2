// Whole-file reads and crash-safe whole-file replacement.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The file's bytes; std::nullopt when it cannot be read. `missing` (when given) tells
// whether it failed because the file does not exist.
std::optional<std::string> read_whole_file(const std::string& path, bool* missing = nullptr);

// Replaces the file's content so that readers see either the old or the new file,
// never a part: the bytes go to a temporary file in the same directory, are flushed to
// disk, and the temporary file is renamed over the old one. On failure the old file is
// untouched and no temporary file is left behind.
// Linux: an existing file is replaced only when the user owns it and its owner may write
// it (for root too), and keeps its permission bits; a new one is readable and writable
// by its owner only. A symbolic link is followed, so the file it names is replaced and
// the link stays.
// Windows: a read-only file is never replaced; the new file takes the access rights the
// directory hands down.
bool replace_file_atomically(const std::string& path, std::string_view content);

}  // namespace velmora
