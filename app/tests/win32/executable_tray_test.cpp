// velmora.exe in the notification area of Wine's desktop, driven from another process:
// its icon and menu, minimising into the tray and a click that brings the window back,
// start at logon through the menu, the icon added again when the taskbar is made again,
// 退出, a start with --minimized, and the command line's boxes.
//
// Wine lets no process read another's menu (GetMenuItemCount answers -1), so the menu's
// items are checked here by what choosing each does, and by caption and check mark in the
// tray icon's own test (tray_icon_test.cpp).
#include <gtest/gtest.h>

#include <windows.h>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "support/velmora_program.h"

namespace velmora {
namespace {

using std::chrono::milliseconds;

using VelmoraTray = ExecutableTest;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The start-at-logon command, or the empty string when there is none.
std::wstring run_value() {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Velmora", RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    return data;
}

void delete_run_value() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, L"Velmora");
        RegCloseKey(key);
    }
}

// Wine's taskbar: a button for each window in it, whose id is the window's handle.
HWND taskbar_button(HWND window) {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    for (HWND button = GetWindow(taskbar, GW_CHILD); button != nullptr;
         button = GetWindow(button, GW_HWNDNEXT)) {
        if (GetWindowLongPtrW(button, GWLP_ID) == reinterpret_cast<LONG_PTR>(window)) {
            return button;
        }
    }
    return nullptr;
}

// Wine's taskbar sets its buttons again when a tray icon changes, not when a window is
// hidden or shown: a change to the icon that changes nothing comes first.
bool in_taskbar(HWND window, HWND tray) {
    tray_icon_present(tray);
    HWND button = taskbar_button(window);
    return button != nullptr && IsWindowVisible(button);
}

TEST_F(VelmoraTray, TheIconsMenuRunsTheOptionsAndMinimisingHidesTheWindowInTheTray) {
    delete_run_value();
    const std::wstring folder = folder_beside_program(L"托盘");
    const Text settings = fresh_settings(folder);
    Program program(folder);
    HWND window = program.main_window();
    ASSERT_NE(window, nullptr) << program.describe();
    HWND tray = program.tray_window();
    ASSERT_TRUE(tray_icon_present(tray)) << program.describe();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(wait_until([&] { return in_taskbar(window, tray); }, milliseconds(5000)));

    // Off by default: minimising only minimises.
    PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(wait_until([&] { return IsIconic(window) != FALSE; }, milliseconds(5000)));
    EXPECT_TRUE(IsWindowVisible(window));
    click_tray_icon(tray, WM_LBUTTONUP);
    ASSERT_TRUE(wait_until([&] { return !IsIconic(window); }, milliseconds(5000)));

    choose_in_tray_menu(program, tray, kMinimiseToTray);
    ASSERT_TRUE(wait_until(
        [&] { return read_ini_item(settings, gbk("运行选项"), gbk("最小化到托盘")) == gbk("真"); },
        milliseconds(5000)));
    PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(wait_until([&] { return !IsWindowVisible(window); }, milliseconds(5000)));
    EXPECT_TRUE(wait_until([&] { return !in_taskbar(window, tray); }, milliseconds(5000)));
    // A click on the icon brings it back, restored.
    click_tray_icon(tray, WM_LBUTTONUP);
    ASSERT_TRUE(wait_until([&] { return IsWindowVisible(window) && !IsIconic(window); },
                           milliseconds(5000)));
    EXPECT_TRUE(wait_until([&] { return in_taskbar(window, tray); }, milliseconds(5000)));

    // Start at logon: the Run value is made and removed; the menu's check mark is read
    // from the value each time, so one removed from outside is made again by the next
    // choice rather than removed.
    choose_in_tray_menu(program, tray, kStartAtLogon);
    const std::wstring command = L"\"" + folder + L"\\velmora.exe\" --minimized";
    EXPECT_TRUE(wait_until([&] { return run_value() == command; }, milliseconds(5000)))
        << utf8(run_value());
    delete_run_value();
    choose_in_tray_menu(program, tray, kStartAtLogon);
    EXPECT_TRUE(wait_until([&] { return run_value() == command; }, milliseconds(5000)));
    choose_in_tray_menu(program, tray, kStartAtLogon);
    EXPECT_TRUE(wait_until([&] { return run_value().empty(); }, milliseconds(5000)));

    // The taskbar made again (Explorer restarted): the icon comes back.
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = tray;
    icon.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
    ASSERT_FALSE(tray_icon_present(tray));
    PostMessageW(tray, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(wait_until([&] { return tray_icon_present(tray); }, milliseconds(5000)));

    const auto quitting = std::chrono::steady_clock::now();
    choose_in_tray_menu(program, tray, kQuit);
    EXPECT_EQ(program.exit_code_within(milliseconds(2000)), 0) << program.describe();
    EXPECT_LT(std::chrono::steady_clock::now() - quitting, milliseconds(2000));
    delete_run_value();
}

TEST_F(VelmoraTray, MinimizedStartsHiddenInTheTray) {
    const std::wstring folder = folder_beside_program(L"托盘");
    fresh_settings(folder);
    Program program(folder, L"--minimized");
    HWND window = program.main_window();
    ASSERT_NE(window, nullptr) << program.describe();
    HWND tray = program.tray_window();
    EXPECT_TRUE(tray_icon_present(tray));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(in_taskbar(window, tray));
    click_tray_icon(tray, WM_LBUTTONUP);
    EXPECT_TRUE(wait_until([&] { return IsWindowVisible(window) && !IsIconic(window); },
                           milliseconds(5000)));
}

// What the program started with `arguments` answers: the text of the box it shows before
// any window of its own, and, once the box is answered, its exit code.
struct Answer {
    std::wstring text;
    long exit_code = -1;
};

Answer command_line_answer(const std::wstring& folder, const std::wstring& arguments) {
    Program program(folder, arguments);
    HWND box = nullptr;
    wait_until([&] { return (box = program.find_window(L"#32770", nullptr)) != nullptr; },
               milliseconds(10000));
    if (box == nullptr) {
        ADD_FAILURE() << "no box for " << utf8(arguments) << "\n" << program.describe();
        return {};
    }
    EXPECT_EQ(program.find_window(L"VelmoraMainWindow", nullptr, true), nullptr);
    Answer answer{window_text(GetDlgItem(box, 0xFFFF))};
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    answer.exit_code = program.exit_code_within(milliseconds(5000));
    return answer;
}

TEST_F(VelmoraTray, TheCommandLineIsAnsweredInABox) {
    const std::wstring folder = folder_beside_program(L"托盘");
    const Answer refused = command_line_answer(folder, L"--minimized --bogus");
    EXPECT_EQ(refused.text.rfind(L"无法识别的参数：--bogus\n用法：velmora [选项]\n", 0), 0U)
        << utf8(refused.text);
    EXPECT_NE(refused.text.find(L"--minimized"), std::wstring::npos);
    EXPECT_EQ(refused.text.find(L"--headless"), std::wstring::npos);
    EXPECT_EQ(refused.exit_code, 2);

    const Answer help = command_line_answer(folder, L"--help");
    EXPECT_EQ(help.text.rfind(L"用法：velmora [选项]\n", 0), 0U) << utf8(help.text);
    EXPECT_EQ(help.exit_code, 0);
    const Answer version = command_line_answer(folder, L"--version");
    EXPECT_EQ(version.text.rfind(L"velmora ", 0), 0U) << utf8(version.text);
    EXPECT_EQ(version.exit_code, 0);
}

}  // namespace
}  // namespace velmora
