#include "base/system/atomic_file.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "base/win32/wide_text.h"

namespace velmora {

namespace {

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool close() {
        const bool closed = !valid() || CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE handle_;
};

bool write_all(HANDLE file, std::string_view content) {
    while (!content.empty()) {
        const DWORD chunk =
            content.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(content.size());
        DWORD written = 0;
        if (!WriteFile(file, content.data(), chunk, &written, nullptr)) {
            return false;
        }
        content.remove_prefix(written);
    }
    return true;
}

// A name beside the target that no other writer (thread or process) picks at the same time.
std::wstring temporary_beside(const std::wstring& target) {
    static std::atomic<unsigned> counter{0};
    return target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + L".tmp";
}

}  // namespace

std::optional<std::string> read_whole_file(const std::string& path, bool* missing) {
    if (missing != nullptr) {
        *missing = false;
    }
    FileHandle file(CreateFileW(wide_text(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        if (missing != nullptr) {
            *missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        }
        return std::nullopt;
    }
    std::string content;
    char buffer[8192];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
        if (got == 0) {
            return content;
        }
        content.append(buffer, got);
    }
    return std::nullopt;
}

bool replace_file_atomically(const std::string& path, std::string_view content) {
    const std::wstring target = wide_text(path);
    // The rename would replace a read-only file too; what its owner protected stays.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    const std::wstring temporary = temporary_beside(target);
    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return false;
    }
    bool written = write_all(file.get(), content) && FlushFileBuffers(file.get());
    written = file.close() && written;
    // An existing file is replaced keeping its access entries (the service's account may
    // read and write velmora.ini by an entry of the file's own, which a renamed new file
    // would not carry); a new one is renamed into place.
    const bool replaced =
        written && (attributes != INVALID_FILE_ATTRIBUTES
                        ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                       REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                        : MoveFileExW(temporary.c_str(), target.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0);
    if (!replaced) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace velmora
