// Start at logon is the value Velmora under HKCU's Run key, in the Wine prefix's
// registry: made with the quoted path of the running executable and --minimized, removed
// without touching its neighbours, and read from the registry each time, so a value made
// or removed by someone else shows at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/system/autostart.h"
#include "base/system/run_directory.h"
#include "base/win32/wide_text.h"

namespace velmora {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The value's data; nothing when it is missing or not a string.
std::optional<std::wstring> run_value(const wchar_t* name) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, name, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return data;
}

void set_run_value(const wchar_t* name, const std::wstring& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void delete_run_value(const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, name);
        RegCloseKey(key);
    }
}

// Runs the platform's reg.exe, as a user editing the registry by hand; its exit code.
DWORD run_reg(std::wstring arguments) {
    std::wstring command = L"reg.exe " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        return ~DWORD{0};
    }
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = ~DWORD{0};
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

class Autostart : public testing::Test {
  protected:
    Autostart() { delete_run_value(L"Velmora"); }
    ~Autostart() override {
        delete_run_value(L"Velmora");
        delete_run_value(L"VelmoraNeighbour");
    }
};

TEST_F(Autostart, MakesAndRemovesOnlyItsOwnEntry) {
    set_run_value(L"VelmoraNeighbour", L"C:\\other.exe");
    EXPECT_FALSE(starts_at_logon());

    ASSERT_TRUE(set_starts_at_logon(true));
    EXPECT_EQ(run_value(L"Velmora"), L"\"" + wide_text(executable_path()) + L"\" --minimized");
    EXPECT_TRUE(starts_at_logon());
    // Made again, it stays one value with the same command.
    ASSERT_TRUE(set_starts_at_logon(true));
    EXPECT_EQ(run_value(L"Velmora"), L"\"" + wide_text(executable_path()) + L"\" --minimized");

    ASSERT_TRUE(set_starts_at_logon(false));
    EXPECT_EQ(run_value(L"Velmora"), std::nullopt);
    EXPECT_FALSE(starts_at_logon());
    // Nothing left to remove is no failure.
    EXPECT_TRUE(set_starts_at_logon(false));
    EXPECT_EQ(run_value(L"VelmoraNeighbour"), L"C:\\other.exe");
}

TEST_F(Autostart, AnEntryMadeOrRemovedFromOutsideShowsAtOnce) {
    ASSERT_EQ(run_reg(L"add HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run /v Velmora "
                      L"/d \"C:\\Velmora\\velmora.exe --minimized\" /f"),
              0U);
    EXPECT_TRUE(starts_at_logon());
    ASSERT_EQ(run_reg(L"delete HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run /v Velmora "
                      L"/f"),
              0U);
    EXPECT_FALSE(starts_at_logon());

    set_run_value(L"Velmora", L"velmora.exe");
    EXPECT_TRUE(starts_at_logon());
    delete_run_value(L"Velmora");
    EXPECT_FALSE(starts_at_logon());
}

}  // namespace
}  // namespace velmora
