// Driving the real velmora.exe from another process, as a user's tools would: it is
// started from a copy in a folder of its own, and its windows are found, read and
// worked through window messages. The sandboxed build talks to the native sandbox on fixed
// ports; its HTTP-DNS endpoint and time site are reached through relays the test runs
// (ExecutableTest), so that a test can make them fall silent.
//
// List views, tab controls and menus take pointers that are only valid inside their own
// process, so their items are read and written through a buffer allocated in velmora.exe.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/types.h"
#include "tcp_relay.h"

namespace velmora {

bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds limit);
std::wstring window_text(HWND window);
std::wstring class_name(HWND window);
// For failure messages.
std::string utf8(const std::wstring& text);
std::size_t occurrences(const std::wstring& text, const std::wstring& piece);

// A request to the sandbox's control interface (method 0 GET, 1 POST).
Text sandbox_control(const Text& route, int method);

// The built velmora.exe, and a folder beside it named `name` (Chinese characters welcome).
std::wstring built_program();
std::wstring folder_beside_program(const std::wstring& name);
// velmora.ini in `folder`, made afresh with only the demo account's ID.
Text fresh_settings(const std::wstring& folder);
// The whole file, or the empty text.
Text file_bytes(const Text& gbk_path);

// A copy of velmora.exe in `folder` (made when missing), started with `arguments`; its
// velmora.ini is what the folder holds. Ended at the latest by the destructor.
class Program {
  public:
    Program(const std::wstring& folder, const std::wstring& arguments = L"");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HANDLE process() const { return info_.hProcess; }
    // The exit code once it has ended within `limit`, else -1.
    long exit_code_within(std::chrono::milliseconds limit) const;

    // The program's top-level windows.
    std::vector<HWND> windows() const;
    // The program's top-level window of `window_class` owned by `owner` (null: unowned),
    // visible ones only unless `hidden_too`.
    HWND find_window(const wchar_t* window_class, HWND owner, bool hidden_too = false) const;
    // The main window once its title shows the public address.
    HWND main_window() const;
    // The window its tray icon's messages go to.
    HWND tray_window() const { return find_window(L"VelmoraTrayIcon", nullptr, true); }

    std::wstring list_cell(HWND list, int row, int column) const;
    std::wstring tab_caption(HWND tabs, int index) const;
    // As a click on the row's check box does.
    void tick_row(HWND list, int row) const;

    // The program's state for a failure message: running or its exit code, and each of
    // its top-level windows with class, owner, visibility and text (read without a
    // message, so a hung program cannot hold the test).
    std::string describe() const;

  private:
    template <typename Item>
    std::wstring remote_text(HWND control, UINT message, int index, Item item) const;

    std::wstring path_;
    PROCESS_INFORMATION info_{};
};

// The main window's controls, found by class in the order they were made.
struct MainControls {
    explicit MainControls(HWND window);
    HWND id_edit = nullptr;
    HWND token_edit = nullptr;
    HWND run_log = nullptr;
    HWND login = nullptr;
    HWND tabs = nullptr;
    std::vector<HWND> lists;  // pages 1 to 6
};

// Whether the row's check box is ticked (read from its state, which needs no buffer).
bool row_ticked(HWND list, int row);

// Types the demo account's token and clicks 登入 (as the button tells its parent: posted,
// since the login runs inside it); answers the 登入成功 box, during which the button is
// disabled, and waits until it is enabled again with the demo's last page loaded.
void log_in(const Program& program, HWND window);

// Whether the run log comes to hold `piece` within 20 seconds (if not, the log says what
// it holds).
testing::AssertionResult run_log_shows(HWND run_log, const std::wstring& piece);

// The tray icon, driven as the notification area does: its click arrives at the tray
// window as the icon's callback message.
bool tray_icon_present(HWND tray_window);
void click_tray_icon(HWND tray_window, UINT mouse_message);
// The tray menu, opened by a right click, once it shows; null when it does not.
HWND open_tray_menu(const Program& program, HWND tray_window);
// Chooses the `index`-th item that can be chosen (separators do not count) of the
// menu open in `menu_window`, with the keyboard.
void choose_menu_item(HWND menu_window, int index);

// The tray menu's items, in order, for choose_menu_item.
enum TrayMenuItem {
    kShowWindow,
    kLogInAtStart,
    kStartAtLogon,
    kMinimiseToTray,
    kProtectToken,
    kQuit
};
// Opens the tray menu, chooses an item and waits until the menu has closed.
void choose_in_tray_menu(const Program& program, HWND tray_window, TrayMenuItem item);

// The text of the balloon the notification area shows now, from any process; empty when
// none shows.
std::wstring balloon_text();

// The relays in front of the sandbox's API, HTTP-DNS endpoint and time site, for every
// test that starts the program. A test may take the API's away (its port then refuses)
// and bring it back.
class ExecutableTest : public testing::Test {
  protected:
    std::optional<TcpRelay> api_relay_{std::in_place, VELMORA_TEST_API_RELAY_PORT,
                                       VELMORA_TEST_API_PORT};
    TcpRelay dns_relay_{VELMORA_TEST_DNS_RELAY_PORT, VELMORA_TEST_DNS_PORT};
    TcpRelay time_relay_{VELMORA_TEST_TIME_RELAY_PORT, VELMORA_TEST_TIME_PORT};

    void SetUp() override;
};

}  // namespace velmora
