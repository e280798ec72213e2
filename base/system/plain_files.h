// Small file operations by path, for files that grow line by line (the run history).
// Paths are GBK texts like every other path of the system; each platform opens them by
// their real name, whatever characters they hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "base/types.h"

namespace velmora {

// Appends the bytes at the end of the file and flushes them to the file system, creating
// the file (readable and writable by its owner only) when it is missing. False when the
// file cannot be opened or not every byte was written.
bool append_to_file(const Text& path, std::string_view bytes);

// The file's size in bytes; nothing when it does not exist or cannot be looked at.
std::optional<std::uint64_t> file_size(const Text& path);

// Renames `from` to `to`, replacing a file `to` names. False when it failed.
bool rename_file(const Text& from, const Text& to);

}  // namespace velmora
