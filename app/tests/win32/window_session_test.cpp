// The Win32 window session without the network: where the run options go with and
// without a notification area, and what minimising does with each.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/win32/window_session.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/win32/wide_text.h"

namespace velmora {
namespace {

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::vector<std::wstring> menu_captions(HMENU menu) {
    std::vector<std::wstring> captions;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t caption[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
        captions.emplace_back(caption);
    }
    return captions;
}

class WindowSessionTest : public testing::Test {
  protected:
    WindowSessionTest() {
        wchar_t temporary[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temporary);
        folder_ =
            std::wstring(temporary) + L"velmora-session-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
        settings_.directory = gbk_path(folder_);
        settings_.settings_file = settings_.directory + "\\velmora.ini";
        set_notify_icon_call([this](DWORD, const NOTIFYICONDATAW&) { return tray_; });
    }
    ~WindowSessionTest() override {
        set_notify_icon_call(nullptr);
        DeleteFileW(wide_text(settings_.settings_file).c_str());
        DeleteFileW(wide_text(settings_.directory + "\\velmora.log").c_str());
        RemoveDirectoryW(folder_.c_str());
        reset_shutdown();
    }

    bool option_on(const Text& key) const {
        return read_ini_item(settings_.settings_file, gbk("运行选项"), key) == gbk("真");
    }
    void set_option(const Text& key) const {
        write_ini_item(settings_.settings_file, gbk("运行选项"), key, gbk("真"));
    }
    static void minimise(HWND window) {
        ShowWindow(window, SW_MINIMIZE);
        pump();
    }

    bool tray_ = false;
    std::wstring folder_;
    SettingsLocation settings_;
    Endpoints endpoints_;
};

TEST_F(WindowSessionTest, WithoutANotificationAreaTheOptionsAreOnTheSystemMenu) {
    WindowSession session(endpoints_, settings_);
    HWND window = session.window().handle();
    ASSERT_FALSE(session.tray().shown());
    HMENU system_menu = GetSystemMenu(window, FALSE);
    std::vector<std::wstring> captions = menu_captions(system_menu);
    ASSERT_GE(captions.size(), 7U);
    // The options, then the service's state (none is installed in the test's prefix).
    EXPECT_EQ(std::vector(captions.end() - 7, captions.end()),
              (std::vector<std::wstring>{L"", L"启动时自动登入", L"开机自动启动", L"最小化到托盘",
                                         L"保护令牌", L"", L"后台服务：未安装"}));
    EXPECT_NE(GetMenuState(system_menu, static_cast<UINT>(captions.size() - 1), MF_BYPOSITION) &
                  MF_GRAYED,
              0U);

    // The check marks tell the options as they are when the menu opens.
    const UINT log_in_at_start = option_command(0);
    EXPECT_FALSE(GetMenuState(system_menu, log_in_at_start, MF_BYCOMMAND) & MF_CHECKED);
    set_option(gbk("启动时登入"));
    SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system_menu),
                 MAKELPARAM(0, TRUE));
    EXPECT_TRUE(GetMenuState(system_menu, log_in_at_start, MF_BYCOMMAND) & MF_CHECKED);
    // Choosing one turns it the other way.
    SendMessageW(window, WM_SYSCOMMAND, option_command(2), 0);
    EXPECT_TRUE(option_on(gbk("最小化到托盘")));
    SendMessageW(window, WM_SYSCOMMAND, log_in_at_start, 0);
    EXPECT_FALSE(option_on(gbk("启动时登入")));

    // With nowhere to hide in, minimising only minimises.
    session.window().present();
    minimise(window);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsIconic(window));

    // A notification area after all (the shell made its taskbar): the options leave the
    // system menu for the tray's.
    tray_ = true;
    SendMessageW(session.tray().window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ASSERT_TRUE(session.tray().shown());
    captions = menu_captions(GetSystemMenu(window, FALSE));
    EXPECT_EQ(std::count(captions.begin(), captions.end(), L"最小化到托盘"), 0);
}

TEST_F(WindowSessionTest, WithATrayMinimisingHidesTheWindowOnlyWhenTheOptionIsOn) {
    tray_ = true;
    WindowSession session(endpoints_, settings_);
    HWND window = session.window().handle();
    ASSERT_TRUE(session.tray().shown());
    const std::vector<std::wstring> captions = menu_captions(GetSystemMenu(window, FALSE));
    EXPECT_EQ(std::count(captions.begin(), captions.end(), L"最小化到托盘"), 0);

    session.window().present();
    minimise(window);
    EXPECT_TRUE(IsWindowVisible(window));
    session.window().bring_back();
    EXPECT_FALSE(IsIconic(window));

    set_option(gbk("最小化到托盘"));
    minimise(window);
    EXPECT_FALSE(IsWindowVisible(window));
    // A click on the icon brings it back, restored.
    SendMessageW(session.tray().window(), TrayIcon::kCallbackMessage, TrayIcon::kIconId,
                 WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
}

}  // namespace
}  // namespace velmora
