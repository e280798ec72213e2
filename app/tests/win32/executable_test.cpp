// The real velmora.exe, built against a native sandbox on fixed ports, driven from another
// process through window messages as a user's tools would: log in with the demo account,
// tick a record, change the public address and see the record follow it; the settings
// file is found and written beside the executable in a folder with a Chinese name, and
// closing the window ends the process promptly. It runs under a Chinese and an English
// locale: what the window shows is read in UTF-16, the characters the user sees.
//
// List views and tab controls take pointers that are only valid inside their own process,
// so their items are read and written through a buffer allocated in velmora.exe.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/win32/wide_text.h"
#include "http/http_request.h"

namespace velmora {
namespace {

using std::chrono::milliseconds;

bool wait_until(const std::function<bool()>& done, milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        Sleep(50);
    }
    return true;
}

std::wstring window_text(HWND window) {
    std::vector<wchar_t> buffer(65536);
    const auto length =
        SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::wstring(buffer.data(), static_cast<std::size_t>(length > 0 ? length : 0));
}

std::wstring class_name(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// For failure messages.
std::string utf8(const std::wstring& text) {
    std::string out(text.size() * 3, '\0');
    out.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                            static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

// Memory inside the program's process for one item structure followed by its text.
class RemoteItem {
  public:
    static constexpr std::size_t kTextSize = 512;  // characters

    RemoteItem(HANDLE process, std::size_t item_size) : process_(process), item_size_(item_size) {
        base_ = static_cast<char*>(VirtualAllocEx(
            process, nullptr, item_size + kTextSize * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteItem() { VirtualFreeEx(process_, base_, 0, MEM_RELEASE); }
    RemoteItem(const RemoteItem&) = delete;
    RemoteItem& operator=(const RemoteItem&) = delete;

    LPARAM item() const { return reinterpret_cast<LPARAM>(base_); }
    wchar_t* text() const { return reinterpret_cast<wchar_t*>(base_ + item_size_); }
    void write(const void* item) const {
        WriteProcessMemory(process_, base_, item, item_size_, nullptr);
        const wchar_t empty = 0;
        WriteProcessMemory(process_, text(), &empty, sizeof empty, nullptr);
    }
    std::wstring read_text() const {
        wchar_t buffer[kTextSize] = {};
        ReadProcessMemory(process_, text(), buffer, (kTextSize - 1) * sizeof(wchar_t), nullptr);
        return buffer;
    }

  private:
    HANDLE process_;
    std::size_t item_size_;
    char* base_ = nullptr;
};

// A copy of velmora.exe in `folder` (made when missing), started with a settings file that
// holds only the ID; ended at the latest by the destructor.
class Program {
  public:
    Program(const std::wstring& built, const std::wstring& folder)
        : path_(folder + L"\\velmora.exe"), settings_path_(gbk_path(folder) + "\\velmora.ini") {
        CreateDirectoryW(folder.c_str(), nullptr);
        DeleteFileW(wide_text(settings_path_).c_str());
        if (!CopyFileW(built.c_str(), path_.c_str(), FALSE) ||
            !write_ini_item(settings_path_, gbk("登入数据"), "ID", "100001")) {
            return;
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + path_ + L"\"";
        if (CreateProcessW(path_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &info_)) {
            CloseHandle(info_.hThread);
        }
    }
    ~Program() {
        if (info_.hProcess != nullptr) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, 5000);  // before the next run replaces it
            CloseHandle(info_.hProcess);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HANDLE process() const { return info_.hProcess; }
    // GBK, as the program names it.
    const Text& settings_path() const { return settings_path_; }

    // The program's top-level windows.
    std::vector<HWND> windows() const {
        struct Search {
            DWORD process_id;
            std::vector<HWND> found;
        } search{info_.dwProcessId, {}};
        EnumWindows(
            [](HWND window, LPARAM parameter) {
                auto& search = *reinterpret_cast<Search*>(parameter);
                DWORD process_id = 0;
                GetWindowThreadProcessId(window, &process_id);
                if (process_id == search.process_id) {
                    search.found.push_back(window);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // The program's visible window of `window_class` owned by `owner` (null: a top-level
    // one).
    HWND find_window(const wchar_t* window_class, HWND owner) const {
        for (HWND window : windows()) {
            if (class_name(window) == window_class && GetWindow(window, GW_OWNER) == owner &&
                IsWindowVisible(window)) {
                return window;
            }
        }
        return nullptr;
    }

    // Sends `message` with `item`, whose text buffer lies in the program's memory, and
    // returns the text the control wrote there.
    template <typename Item>
    std::wstring remote_text(HWND control, UINT message, int index, Item item) const {
        RemoteItem remote(info_.hProcess, sizeof item);
        item.pszText = remote.text();
        item.cchTextMax = RemoteItem::kTextSize;
        remote.write(&item);
        SendMessageW(control, message, static_cast<WPARAM>(index), remote.item());
        return remote.read_text();
    }
    std::wstring list_cell(HWND list, int row, int column) const {
        LVITEMW item{};
        item.iSubItem = column;
        return remote_text(list, LVM_GETITEMTEXTW, row, item);
    }
    std::wstring tab_caption(HWND tabs, int index) const {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        return remote_text(tabs, TCM_GETITEMW, index, item);
    }
    // As a click on the row's check box does.
    void tick_row(HWND list, int row) const {
        RemoteItem remote(info_.hProcess, sizeof(LVITEMW));
        LVITEMW item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(2);
        remote.write(&item);
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), remote.item());
    }
    // The program's state for a failure message: running or its exit code, and each of
    // its top-level windows with class, owner, visibility and text (read without a
    // message, so a hung program cannot hold the test).
    std::string describe() const {
        DWORD exit_code = 0;
        GetExitCodeProcess(info_.hProcess, &exit_code);
        std::string lines = exit_code == STILL_ACTIVE
                                ? "running\n"
                                : "exited with " + std::to_string(exit_code) + "\n";
        for (HWND window : windows()) {
            char line[160];
            std::snprintf(line, sizeof line,
                          "window %p class %s owner %p visible %d: ", static_cast<void*>(window),
                          utf8(class_name(window)).c_str(),
                          static_cast<void*>(GetWindow(window, GW_OWNER)),
                          IsWindowVisible(window) ? 1 : 0);
            wchar_t text[256] = {};
            GetWindowTextW(window, text, 256);
            lines += std::string(line) + utf8(text) + "\n";
        }
        return lines;
    }

  private:
    std::wstring path_;
    Text settings_path_;
    PROCESS_INFORMATION info_{};
};

// The main window's controls of one class, in the order they were created.
std::vector<HWND> controls_of_class(HWND window, const wchar_t* window_class) {
    struct Search {
        const wchar_t* window_class;
        std::vector<HWND> found;
    } search{window_class, {}};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM parameter) {
            auto& search = *reinterpret_cast<Search*>(parameter);
            if (lstrcmpiW(class_name(child).c_str(), search.window_class) == 0) {
                search.found.push_back(child);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Text sandbox_control(const Text& route, int method) {
    return http_request_simple(
        "http://localhost:" + std::to_string(VELMORA_TEST_CONTROL_PORT) + "/control/" + route,
        method);
}

std::size_t occurrences(const std::wstring& text, const std::wstring& piece) {
    std::size_t count = 0;
    for (auto at = text.find(piece); at != std::wstring::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

TEST(VelmoraExe, LogsInWatchesARecordAndRewritesItWhenTheAddressChanges) {
    std::wstring built = wide_text(VELMORA_TEST_EXECUTABLE);
    std::replace(built.begin(), built.end(), L'/', L'\\');
    // Installed in a folder of its own whose name has Chinese characters.
    const std::wstring folder = built.substr(0, built.find_last_of(L'\\')) + L"\\安装 目录";
    sandbox_control("public-address?ip=198.51.100.10", 1);
    // What record 5001 (www) holds; a run before this one changed it.
    sandbox_control("record-value?record_id=5001&value=198.51.100.10", 1);
    Program program(built, folder);
    ASSERT_NE(program.process(), nullptr) << "velmora.exe did not start";

    HWND window = nullptr;
    ASSERT_TRUE(wait_until(
        [&] {
            window = program.find_window(L"VelmoraMainWindow", nullptr);
            return window != nullptr && window_text(window).find(L'|') != std::wstring::npos;
        },
        milliseconds(20000)));
    EXPECT_EQ(window_text(window), L"Velmora|本机外网IP：198.51.100.10");

    std::vector<HWND> edits = controls_of_class(window, L"Edit");
    ASSERT_EQ(edits.size(), 3U);  // ID, Token, 运行栏
    HWND run_log = edits[2];
    // The settings file was found beside the executable.
    EXPECT_EQ(window_text(edits[0]), L"100001");
    SendMessageW(edits[1], WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24"));
    HWND login = nullptr;
    for (HWND button : controls_of_class(window, L"Button")) {
        if (window_text(button) == L"登入") {
            login = button;
        }
    }
    ASSERT_NE(login, nullptr);
    // What a click on the button sends its parent; posted, since the login runs inside it
    // and waits for its box to be answered. (BM_CLICK, which goes through the button's
    // own mouse handling, once left the login unstarted here under Wine.)
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(login), BN_CLICKED),
                 reinterpret_cast<LPARAM>(login));

    HWND box = nullptr;
    ASSERT_TRUE(
        wait_until([&] { return (box = program.find_window(L"#32770", window)) != nullptr; },
                   milliseconds(20000)))
        << "login button " << (IsWindowEnabled(login) ? "enabled" : "disabled") << "\n"
        << program.describe() << "run log: " << utf8(window_text(run_log))
        << "\nthe sandbox's counters: " << sandbox_control("counters", 0)
        << "\nits API requests: " << sandbox_control("requests", 0);
    EXPECT_EQ(window_text(GetDlgItem(box, 0xFFFF)), L"登入成功");
    EXPECT_EQ(window_text(box), L"信息：");
    EXPECT_FALSE(IsWindowEnabled(login));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

    std::vector<HWND> tabs = controls_of_class(window, WC_TABCONTROLW);
    std::vector<HWND> lists = controls_of_class(window, WC_LISTVIEWW);
    ASSERT_EQ(tabs.size(), 1U);
    ASSERT_EQ(lists.size(), 6U);
    ASSERT_TRUE(
        wait_until([&] { return program.tab_caption(tabs[0], 2) != L""; }, milliseconds(10000)));
    EXPECT_EQ(program.tab_caption(tabs[0], 0), L"velmora-demo.example");
    EXPECT_EQ(program.tab_caption(tabs[0], 1), L"xn--fsq092h.example");
    EXPECT_EQ(program.tab_caption(tabs[0], 2), L"home-lab.example");
    ASSERT_TRUE(wait_until([&] { return SendMessageW(lists[0], LVM_GETITEMCOUNT, 0, 0) == 21; },
                           milliseconds(10000)));
    EXPECT_EQ(program.list_cell(lists[0], 0, 0), L"1001");
    EXPECT_EQ(program.list_cell(lists[0], 1, 0), L"5001");
    EXPECT_EQ(program.list_cell(lists[0], 1, 3), L"198.51.100.10");
    ASSERT_TRUE(wait_until([&] { return SendMessageW(lists[2], LVM_GETITEMCOUNT, 0, 0) > 0; },
                           milliseconds(10000)));
    // Disabled while the login runs, so a second click cannot start another inside it.
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(login) != FALSE; }, milliseconds(10000)));

    program.tick_row(lists[0], 1);
    EXPECT_EQ(program.list_cell(lists[0], 1, 5), L"解析中...");
    const std::wstring unchanged = L"]：公网IP无变化，无需更新，120秒后重新检测";
    ASSERT_TRUE(
        wait_until([&] { return window_text(run_log).find(unchanged) != std::wstring::npos; },
                   milliseconds(20000)))
        << utf8(window_text(run_log));

    sandbox_control("public-address?ip=203.0.113.99", 1);
    const std::wstring updated = L"]：更新记录值成功|IP为：203.0.113.99";
    ASSERT_TRUE(wait_until([&] { return window_text(run_log).find(updated) != std::wstring::npos; },
                           milliseconds(20000)))
        << utf8(window_text(run_log));
    EXPECT_NE(sandbox_control("records?domain_id=1001", 0).find("203.0.113.99"), Text::npos);
    // The next pass reads the new value back and from then on reports no change.
    const std::size_t unchanged_before = occurrences(window_text(run_log), unchanged);
    ASSERT_TRUE(
        wait_until([&] { return occurrences(window_text(run_log), unchanged) > unchanged_before; },
                   milliseconds(20000)));
    EXPECT_EQ(program.list_cell(lists[0], 1, 3), L"203.0.113.99");

    const Text& settings = program.settings_path();
    EXPECT_EQ(read_ini_item(settings, gbk("登入数据"), "ID"), "100001");
    EXPECT_EQ(read_ini_item(settings, gbk("登入数据"), "Token"),
              "5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24");
    EXPECT_EQ(read_ini_item(settings, gbk("选择框"), gbk("状态")), gbk("真"));

    const auto closing = std::chrono::steady_clock::now();
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(program.process(), 2000), WAIT_OBJECT_0);
    EXPECT_LT(std::chrono::steady_clock::now() - closing, milliseconds(2000));
}

}  // namespace
}  // namespace velmora
