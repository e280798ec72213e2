// The tray icon in this process: what it hands the notification area (through a recording
// stand-in, and once through the real one), its menu as it shows, the clicks, the icon
// added again when the taskbar is made again, and what the update loop's news make of it.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/service_state.h"
#include "app/win32/tray_icon.h"
#include "app/window/tray_news.h"
#include "base/gbk.h"
#include "base/win32/wide_text.h"

namespace velmora {
namespace {

struct NotifyCall {
    DWORD message;
    NOTIFYICONDATAW data;
};

// Handles what is waiting, as the window thread's loop would.
void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A menu item as it showed: its caption (empty for a separator), its check mark, and
// whether it is greyed.
struct ShownItem {
    std::wstring caption;
    bool checked;
    bool grayed = false;
    bool operator==(const ShownItem&) const = default;
};

thread_local std::function<void()> while_menu_shows;

// Runs `visit` once the popup menu of this thread shows, from inside its modal loop.
void CALLBACK visit_menu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu == nullptr || !IsWindowVisible(menu)) {
        return;
    }
    KillTimer(nullptr, timer);
    if (while_menu_shows) {
        while_menu_shows();
    }
}

class TrayIconTest : public testing::Test {
  protected:
    TrayIconTest() {
        set_notify_icon_call([this](DWORD message, const NOTIFYICONDATAW& data) {
            calls_.push_back({message, data});
            return message == NIM_ADD ? accepts_add_ : accepts_change_;
        });
    }
    ~TrayIconTest() override { set_notify_icon_call(nullptr); }

    std::unique_ptr<TrayIcon> make_tray(StatusLine status = {}) {
        return std::make_unique<TrayIcon>(
            LoadIconW(nullptr, IDI_APPLICATION), options_,
            TrayIcon::Handlers{.show_window = [this] { ++shown_window_; },
                               .quit = [this] { ++quit_; },
                               .shown_changed = [this](bool shown) { changes_.push_back(shown); }},
            std::move(status));
    }

    // Opens the menu as a right click on the icon does and reads it; then chooses, with the
    // keyboard, the item `choice` counts to among those that can be chosen, or with -1
    // closes the menu.
    std::vector<ShownItem> use_menu(TrayIcon& tray, int choice) {
        std::vector<ShownItem> shown;
        while_menu_shows = [&] {
            HWND window = FindWindowW(L"#32768", nullptr);
            auto menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                wchar_t caption[64] = {};
                GetMenuStringW(menu, static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
                const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
                shown.push_back({caption, (state & MF_CHECKED) != 0,
                                 (state & MF_GRAYED) != 0 && (state & MF_SEPARATOR) == 0});
            }
            if (choice < 0) {
                EndMenu();
                return;
            }
            for (int i = 0; i <= choice; ++i) {
                PostMessageW(window, WM_KEYDOWN, VK_DOWN, 1);
            }
            PostMessageW(window, WM_KEYDOWN, VK_RETURN, 1);
        };
        SetTimer(nullptr, 0, 20, &visit_menu);
        SendMessageW(tray.window(), TrayIcon::kCallbackMessage, TrayIcon::kIconId, WM_RBUTTONUP);
        while_menu_shows = nullptr;
        return shown;
    }

    const NotifyCall& last_call() const { return calls_.back(); }

    bool accepts_add_ = true;
    bool accepts_change_ = true;
    std::vector<NotifyCall> calls_;
    bool logs_in_at_start_ = false;
    bool starts_at_logon_ = true;
    std::vector<bool> turned_;
    OptionItems options_{
        {gbk("启动时自动登入"), [this] { return logs_in_at_start_; },
         [this](bool on) { turned_.push_back(on); }},
        {gbk("开机自动启动"), [this] { return starts_at_logon_; },
         [this](bool on) { turned_.push_back(on); }},
    };
    int shown_window_ = 0;
    int quit_ = 0;
    std::vector<bool> changes_;
};

TEST_F(TrayIconTest, AddsItsIconWithTheProgramsTooltipAndTakesItAwayAtTheEnd) {
    auto tray = make_tray();
    ASSERT_TRUE(tray->shown());
    ASSERT_EQ(calls_.size(), 1U);
    EXPECT_EQ(calls_[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls_[0].data.hWnd, tray->window());
    EXPECT_EQ(calls_[0].data.uID, TrayIcon::kIconId);
    EXPECT_EQ(calls_[0].data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(calls_[0].data.uCallbackMessage, TrayIcon::kCallbackMessage);
    EXPECT_STREQ(calls_[0].data.szTip, L"Velmora");

    HWND window = tray->window();
    tray.reset();
    EXPECT_EQ(last_call().message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(last_call().data.hWnd, window);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(TrayIconTest, TooltipsAndNoticesGoToTheIconCutToWhatItHolds) {
    auto tray = make_tray();
    tray->set_tooltip(gbk("Velmora\n公网IP：203.0.113.9"));
    EXPECT_EQ(last_call().message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(last_call().data.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_STREQ(last_call().data.szTip, L"Velmora\n公网IP：203.0.113.9");
    tray->set_tooltip(Text(300, 'x'));
    EXPECT_EQ(std::wstring(last_call().data.szTip), std::wstring(127, L'x'));

    tray->show_notice(gbk("记录已更新：www → 203.0.113.9"));
    EXPECT_EQ(last_call().data.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_STREQ(last_call().data.szInfoTitle, L"Velmora");
    EXPECT_STREQ(last_call().data.szInfo, L"记录已更新：www → 203.0.113.9");
    EXPECT_EQ(last_call().data.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    // Still the last tooltip: a notice leaves it alone.
    EXPECT_EQ(std::wstring(last_call().data.szTip), std::wstring(127, L'x'));
    tray->show_notice(Text(400, 'y'));
    EXPECT_EQ(std::wstring(last_call().data.szInfo), std::wstring(255, L'y'));
}

TEST_F(TrayIconTest, WithoutANotificationAreaNothingShowsUntilTheTaskbarIsMade) {
    accepts_add_ = false;
    accepts_change_ = false;
    auto tray = make_tray();
    EXPECT_FALSE(tray->shown());
    const std::size_t tried = calls_.size();
    tray->set_tooltip("Velmora");
    tray->show_notice("news");
    EXPECT_EQ(calls_.size(), tried);

    // The shell made its taskbar: the icon is added, with the tooltip it has by now.
    accepts_add_ = true;
    accepts_change_ = true;
    SendMessageW(tray->window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tray->shown());
    EXPECT_EQ(last_call().message, static_cast<DWORD>(NIM_ADD));
    EXPECT_STREQ(last_call().data.szTip, L"Velmora");
    EXPECT_EQ(changes_, std::vector<bool>{true});

    // Made again while the icon stayed: a second add is refused, the icon is still there.
    accepts_add_ = false;
    SendMessageW(tray->window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tray->shown());
    EXPECT_EQ(changes_, std::vector<bool>{true});

    // Made again without a notification area.
    accepts_change_ = false;
    SendMessageW(tray->window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_FALSE(tray->shown());
    EXPECT_EQ(changes_, (std::vector<bool>{true, false}));
}

TEST_F(TrayIconTest, ALeftClickShowsTheWindow) {
    auto tray = make_tray();
    SendMessageW(tray->window(), TrayIcon::kCallbackMessage, TrayIcon::kIconId, WM_LBUTTONUP);
    EXPECT_EQ(shown_window_, 1);
    // Moving over it, pressing down, or a message about another icon: nothing.
    SendMessageW(tray->window(), TrayIcon::kCallbackMessage, TrayIcon::kIconId, WM_MOUSEMOVE);
    SendMessageW(tray->window(), TrayIcon::kCallbackMessage, TrayIcon::kIconId, WM_LBUTTONDOWN);
    SendMessageW(tray->window(), TrayIcon::kCallbackMessage, 7, WM_LBUTTONUP);
    EXPECT_EQ(shown_window_, 1);
}

TEST_F(TrayIconTest, ItsMenuShowsEachOptionAsItIsWhenItOpens) {
    auto tray = make_tray();
    const std::vector<ShownItem> expected = {
        {L"显示主窗口", false},  {L"", false}, {L"启动时自动登入", false},
        {L"开机自动启动", true}, {L"", false}, {L"退出", false}};
    EXPECT_EQ(use_menu(*tray, -1), expected);
    logs_in_at_start_ = true;
    starts_at_logon_ = false;
    const std::vector<ShownItem> reopened = use_menu(*tray, -1);
    ASSERT_EQ(reopened.size(), 6U);
    EXPECT_TRUE(reopened[2].checked);
    EXPECT_FALSE(reopened[3].checked);
    EXPECT_TRUE(turned_.empty());
    EXPECT_EQ(shown_window_ + quit_, 0);
}

TEST_F(TrayIconTest, ItsMenuTurnsAnOptionTheOtherWayShowsTheWindowAndQuits) {
    auto tray = make_tray();
    use_menu(*tray, 1);  // 启动时自动登入, off
    use_menu(*tray, 2);  // 开机自动启动, on
    EXPECT_EQ(turned_, (std::vector<bool>{true, false}));
    use_menu(*tray, 0);
    EXPECT_EQ(shown_window_, 1);
    EXPECT_EQ(quit_, 0);
    use_menu(*tray, 3);
    EXPECT_EQ(quit_, 1);
    EXPECT_EQ(turned_.size(), 2U);
}

// The service's state as the window's session gives it: a greyed last line, read anew
// each time the menu opens; the items before it keep their places.
TEST_F(TrayIconTest, ItsMenuEndsWithTheGreyedStatusLine) {
    ServiceState state = ServiceState::not_installed;
    auto tray = make_tray([&] { return service_state_line(state); });
    std::vector<ShownItem> shown = use_menu(*tray, -1);
    ASSERT_EQ(shown.size(), 8U);
    EXPECT_EQ(shown[5], (ShownItem{L"退出", false}));
    EXPECT_EQ(shown[6], (ShownItem{L"", false}));
    EXPECT_EQ(shown[7], (ShownItem{L"后台服务：未安装", false, true}));
    state = ServiceState::running;
    EXPECT_EQ(use_menu(*tray, -1).back().caption, L"后台服务：已安装，正在运行");
    state = ServiceState::stopped;
    EXPECT_EQ(use_menu(*tray, -1).back().caption, L"后台服务：已安装，已停止");
    use_menu(*tray, 3);
    EXPECT_EQ(quit_, 1);
}

// The real notification area of Wine's desktop takes the icon and finds it by its window
// and id.
TEST(TrayIcon, TheDesktopsNotificationAreaTakesTheIcon) {
    TrayIcon tray(LoadIconW(nullptr, IDI_APPLICATION), {}, {});
    ASSERT_TRUE(tray.shown());
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = tray.window();
    data.uID = TrayIcon::kIconId;
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &data));
}

// What the update loop tells, from its own thread: the tooltip follows each check, a
// changed record and a new failure become notices, at most one a minute.
TEST_F(TrayIconTest, TheLoopsNewsReachTheIconFromItsThread) {
    auto tray = make_tray();
    TrayNews updates(*tray);
    const auto from_the_loop = [&](std::function<void()> news) {
        std::thread loop(std::move(news));
        loop.join();
        pump();
    };
    const auto notices = [&] {
        std::vector<std::wstring> shown;
        for (const NotifyCall& call : calls_) {
            if ((call.data.uFlags & NIF_INFO) != 0) {
                shown.push_back(call.data.szInfo);
            }
        }
        return shown;
    };
    // A check that changed nothing only tells the tooltip.
    from_the_loop([&] { updates.checked("198.51.100.10", "2026-12-09 08:00:00"); });
    EXPECT_STREQ(last_call().data.szTip,
                 L"Velmora\n公网IP：198.51.100.10\n上次检测：2026-12-09 08:00:00");
    EXPECT_TRUE(notices().empty());

    from_the_loop([&] {
        updates.record_changed("www", "203.0.113.9", "2026-12-09 08:02:00");
        updates.failure_began(gbk("更新记录失败[vpn]：网络错误"));
    });
    EXPECT_EQ(notices(), std::vector<std::wstring>{L"记录已更新：www → 203.0.113.9"});
    EXPECT_STREQ(last_call().data.szTip,
                 L"Velmora\n公网IP：203.0.113.9\n上次检测：2026-12-09 08:02:00");

    // A failure that begins, with no notice in the last minute, tells its log text.
    TrayNews later(*tray);
    from_the_loop([&] { later.failure_began(gbk("更新记录失败[vpn]：网络错误")); });
    EXPECT_EQ(notices().back(), L"更新记录失败[vpn]：网络错误");
}

}  // namespace
}  // namespace velmora
