#include "base/system/autostart.h"

#include <windows.h>

#include <string>

#include "base/win32/wide_text.h"
#include "base/system/run_directory.h"

namespace velmora {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValueName[] = L"Velmora";

class RunKey {
  public:
    explicit RunKey(REGSAM access) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, access, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~RunKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    RunKey(const RunKey&) = delete;
    RunKey& operator=(const RunKey&) = delete;
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

}  // namespace

bool starts_at_logon() {
    const RunKey key(KEY_QUERY_VALUE);
    return key.get() != nullptr && RegQueryValueExW(key.get(), kValueName, nullptr, nullptr,
                                                    nullptr, nullptr) == ERROR_SUCCESS;
}

bool set_starts_at_logon(bool on) {
    const RunKey key(KEY_SET_VALUE);
    if (key.get() == nullptr) {
        return false;
    }
    if (!on) {
        const LONG removed = RegDeleteValueW(key.get(), kValueName);
        return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND;
    }
    const Text executable = executable_path();
    if (executable.empty()) {
        return false;
    }
    const std::wstring command = L"\"" + wide_text(executable) + L"\" --minimized";
    return RegSetValueExW(
               key.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
               static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace velmora
