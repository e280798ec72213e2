#include "base/system/plain_files.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "base/win32/wide_text.h"

namespace velmora {

bool append_to_file(const Text& path, std::string_view bytes) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the current end.
    const HANDLE file =
        CreateFileW(wide_text(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool written = true;
    while (written && !bytes.empty()) {
        DWORD count = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        written = WriteFile(file, bytes.data(), chunk, &count, nullptr) && count > 0;
        if (written) {
            bytes.remove_prefix(count);
        }
    }
    written = FlushFileBuffers(file) && written;
    return CloseHandle(file) && written;
}

std::optional<std::uint64_t> file_size(const Text& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide_text(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool rename_file(const Text& from, const Text& to) {
    return MoveFileExW(wide_text(from).c_str(), wide_text(to).c_str(), MOVEFILE_REPLACE_EXISTING) !=
           0;
}

}  // namespace velmora
