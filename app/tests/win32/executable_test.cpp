// The real velmora.exe, built against a native sandbox on fixed ports, driven from another
// process through window messages as a user's tools would: log in with the demo account,
// tick a record, change the public address and see the record follow it; the settings
// file lands beside the executable, and closing the window ends the process promptly.
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

Text window_text(HWND window) {
    std::vector<char> buffer(65536);
    const auto length = SendMessageA(window, WM_GETTEXT, buffer.size(),
                                     reinterpret_cast<LPARAM>(buffer.data()));
    return Text(buffer.data(), static_cast<std::size_t>(length > 0 ? length : 0));
}

Text class_name(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Memory inside the program's process for one item structure followed by its text.
class RemoteItem {
  public:
    static constexpr std::size_t kTextSize = 512;

    RemoteItem(HANDLE process, std::size_t item_size) : process_(process), item_size_(item_size) {
        base_ = static_cast<char*>(VirtualAllocEx(process, nullptr, item_size + kTextSize,
                                                  MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteItem() { VirtualFreeEx(process_, base_, 0, MEM_RELEASE); }
    RemoteItem(const RemoteItem&) = delete;
    RemoteItem& operator=(const RemoteItem&) = delete;

    LPARAM item() const { return reinterpret_cast<LPARAM>(base_); }
    char* text() const { return base_ + item_size_; }
    void write(const void* item) const {
        WriteProcessMemory(process_, base_, item, item_size_, nullptr);
        const char empty = 0;
        WriteProcessMemory(process_, text(), &empty, 1, nullptr);
    }
    Text read_text() const {
        char buffer[kTextSize] = {};
        ReadProcessMemory(process_, text(), buffer, kTextSize - 1, nullptr);
        return buffer;
    }

  private:
    HANDLE process_;
    std::size_t item_size_;
    char* base_ = nullptr;
};

// velmora.exe started with an empty settings file place; ended at the latest by the
// destructor.
class Program {
  public:
    explicit Program(std::string path) : path_(std::move(path)) {
        DeleteFileA(settings_path().c_str());
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = "\"" + path_ + "\"";
        if (CreateProcessA(path_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &info_)) {
            CloseHandle(info_.hThread);
        }
    }
    ~Program() {
        if (info_.hProcess != nullptr) {
            TerminateProcess(info_.hProcess, 1);
            CloseHandle(info_.hProcess);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HANDLE process() const { return info_.hProcess; }
    std::string settings_path() const {
        return path_.substr(0, path_.find_last_of('\\')) + "\\velmora.ini";
    }

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
    HWND find_window(const char* window_class, HWND owner) const {
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
    Text remote_text(HWND control, UINT message, int index, Item item) const {
        RemoteItem remote(info_.hProcess, sizeof item);
        item.pszText = remote.text();
        item.cchTextMax = RemoteItem::kTextSize;
        remote.write(&item);
        SendMessageA(control, message, static_cast<WPARAM>(index), remote.item());
        return remote.read_text();
    }
    Text list_cell(HWND list, int row, int column) const {
        LVITEMA item{};
        item.iSubItem = column;
        return remote_text(list, LVM_GETITEMTEXTA, row, item);
    }
    Text tab_caption(HWND tabs, int index) const {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        return remote_text(tabs, TCM_GETITEMA, index, item);
    }
    // As a click on the row's check box does.
    void tick_row(HWND list, int row) const {
        RemoteItem remote(info_.hProcess, sizeof(LVITEMA));
        LVITEMA item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(2);
        remote.write(&item);
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), remote.item());
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
            std::snprintf(line, sizeof line, "window %p class %s owner %p visible %d: ",
                          static_cast<void*>(window), class_name(window).c_str(),
                          static_cast<void*>(GetWindow(window, GW_OWNER)),
                          IsWindowVisible(window) ? 1 : 0);
            char text[256] = {};
            GetWindowTextA(window, text, sizeof text);
            lines += std::string(line) + text + "\n";
        }
        return lines;
    }
  private:
    std::string path_;
    PROCESS_INFORMATION info_{};
};

// The main window's controls of one class, in the order they were created.
std::vector<HWND> controls_of_class(HWND window, const char* window_class) {
    struct Search {
        const char* window_class;
        std::vector<HWND> found;
    } search{window_class, {}};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM parameter) {
            auto& search = *reinterpret_cast<Search*>(parameter);
            if (lstrcmpiA(class_name(child).c_str(), search.window_class) == 0) {
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

std::size_t occurrences(const Text& text, const Text& piece) {
    std::size_t count = 0;
    for (auto at = text.find(piece); at != Text::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

TEST(VelmoraExe, LogsInWatchesARecordAndRewritesItWhenTheAddressChanges) {
    std::string path = VELMORA_TEST_EXECUTABLE;
    std::replace(path.begin(), path.end(), '/', '\\');
    sandbox_control("public-address?ip=198.51.100.10", 1);  // what record 5001 (www) holds
    Program program(path);
    ASSERT_NE(program.process(), nullptr) << "velmora.exe did not start";

    HWND window = nullptr;
    ASSERT_TRUE(wait_until(
        [&] {
            window = program.find_window("VelmoraMainWindow", nullptr);
            return window != nullptr && window_text(window).find('|') != Text::npos;
        },
        milliseconds(20000)));
    EXPECT_EQ(window_text(window), gbk("Velmora|本机外网IP：198.51.100.10"));

    std::vector<HWND> edits = controls_of_class(window, "Edit");
    ASSERT_EQ(edits.size(), 3U);  // ID, Token, 运行栏
    HWND run_log = edits[2];
    SendMessageA(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>("100001"));
    SendMessageA(edits[1], WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>("5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24"));
    HWND login = nullptr;
    for (HWND button : controls_of_class(window, "Button")) {
        if (window_text(button) == gbk("登入")) {
            login = button;
        }
    }
    ASSERT_NE(login, nullptr);
    // What a click on the button sends its parent; posted, since the login runs inside it
    // and waits for its box to be answered. (BM_CLICK, which goes through the button's
    // own mouse handling, once left the login unstarted here under Wine.)
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(login), BN_CLICKED),
                 reinterpret_cast<LPARAM>(login));

    HWND box = nullptr;
    ASSERT_TRUE(wait_until(
        [&] { return (box = program.find_window("#32770", window)) != nullptr; },
        milliseconds(20000)))
        << "login button " << (IsWindowEnabled(login) ? "enabled" : "disabled") << "\n"
        << program.describe() << "run log: " << window_text(run_log)
        << "\nthe sandbox's counters: " << sandbox_control("counters", 0)
        << "\nits API requests: " << sandbox_control("requests", 0);
    EXPECT_EQ(window_text(GetDlgItem(box, 0xFFFF)), gbk("登入成功"));
    EXPECT_EQ(window_text(box), gbk("信息："));
    EXPECT_FALSE(IsWindowEnabled(login));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

    std::vector<HWND> tabs = controls_of_class(window, WC_TABCONTROLA);
    std::vector<HWND> lists = controls_of_class(window, WC_LISTVIEWA);
    ASSERT_EQ(tabs.size(), 1U);
    ASSERT_EQ(lists.size(), 6U);
    ASSERT_TRUE(wait_until([&] { return program.tab_caption(tabs[0], 2) != ""; },
                           milliseconds(10000)));
    EXPECT_EQ(program.tab_caption(tabs[0], 0), "velmora-demo.example");
    EXPECT_EQ(program.tab_caption(tabs[0], 1), "xn--fsq092h.example");
    EXPECT_EQ(program.tab_caption(tabs[0], 2), "home-lab.example");
    ASSERT_TRUE(wait_until([&] { return SendMessageA(lists[0], LVM_GETITEMCOUNT, 0, 0) == 21; },
                           milliseconds(10000)));
    EXPECT_EQ(program.list_cell(lists[0], 0, 0), "1001");
    EXPECT_EQ(program.list_cell(lists[0], 1, 0), "5001");
    EXPECT_EQ(program.list_cell(lists[0], 1, 3), "198.51.100.10");
    ASSERT_TRUE(wait_until([&] { return SendMessageA(lists[2], LVM_GETITEMCOUNT, 0, 0) > 0; },
                           milliseconds(10000)));
    // Disabled while the login runs, so a second click cannot start another inside it.
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(login) != FALSE; }, milliseconds(10000)));

    program.tick_row(lists[0], 1);
    EXPECT_EQ(program.list_cell(lists[0], 1, 5), gbk("解析中..."));
    const Text unchanged = gbk("]：公网IP无变化，无需更新，120秒后重新检测");
    ASSERT_TRUE(wait_until([&] { return window_text(run_log).find(unchanged) != Text::npos; },
                           milliseconds(20000)))
        << window_text(run_log);

    sandbox_control("public-address?ip=203.0.113.99", 1);
    const Text updated = gbk("]：更新记录值成功|IP为：203.0.113.99");
    ASSERT_TRUE(wait_until([&] { return window_text(run_log).find(updated) != Text::npos; },
                           milliseconds(20000)))
        << window_text(run_log);
    EXPECT_NE(sandbox_control("records?domain_id=1001", 0).find("203.0.113.99"), Text::npos);
    // The next pass reads the new value back and from then on reports no change.
    const std::size_t unchanged_before = occurrences(window_text(run_log), unchanged);
    ASSERT_TRUE(wait_until(
        [&] { return occurrences(window_text(run_log), unchanged) > unchanged_before; },
        milliseconds(20000)));
    EXPECT_EQ(program.list_cell(lists[0], 1, 3), "203.0.113.99");

    const Text settings = program.settings_path();
    EXPECT_EQ(read_ini_item(settings, gbk("登入数据"), "ID"), "100001");
    EXPECT_EQ(read_ini_item(settings, gbk("登入数据"), "Token"),
              "5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24");
    EXPECT_EQ(read_ini_item(settings, gbk("选择框"), gbk("状态")), gbk("真"));

    const auto closing = std::chrono::steady_clock::now();
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(program.process(), 2000), WAIT_OBJECT_0);
    EXPECT_LT(std::chrono::steady_clock::now() - closing, milliseconds(2000));
}

}  // namespace
}  // namespace velmora
