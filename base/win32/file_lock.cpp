#include "base/system/file_lock.h"

#include <windows.h>

#include <utility>

#include "base/win32/wide_text.h"

namespace velmora {

std::optional<FileLock> FileLock::take(const Text& path, Refusal* refusal) {
    HANDLE file = CreateFileW(wide_text(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (refusal != nullptr) {
            *refusal = Refusal::cannot_open;
        }
        return std::nullopt;
    }
    // The system lets go of it when the process ends, however it ends.
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        CloseHandle(file);
        if (refusal != nullptr) {
            *refusal = Refusal::held;
        }
        return std::nullopt;
    }
    return FileLock(reinterpret_cast<std::intptr_t>(file));
}

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

FileLock::~FileLock() {
    if (handle_ != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

Text runtime_lock_directory() {
    return {};
}

}  // namespace velmora
