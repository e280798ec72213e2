// What only the Win32 side has: texts the controls hold in UTF-16, real message boxes, the
// user's keys and clicks, and the run log's bound and view.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <future>
#include <string>
#include <tuple>
#include <vector>

#include "app/tests/win32/win32_test_window.h"
#include "app/win32/message_box.h"
#include "base/controls/control_names.h"
#include "base/gbk.h"
#include "base/controls/log_view_limit.h"

namespace velmora {
namespace {

// Generous bound for "it did not hang"; never reached when things work.
constexpr auto kHangLimit = std::chrono::seconds(20);

class Win32ControlsTest : public testing::Test, public Win32TestWindow {
  protected:
    ~Win32ControlsTest() override { set_message_box_presenter(nullptr); }

    HWND control(const Text& name) { return window_.find(name)->handle; }

    // Handles what is waiting, as the window thread's loop would.
    static void pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
};

std::wstring wide_window_text(HWND window) {
    wchar_t text[256] = {};
    return std::wstring(text, static_cast<std::size_t>(GetWindowTextW(window, text, 256)));
}

// The run log's line at the top of its view.
std::wstring first_shown_line(HWND log) {
    wchar_t line[64] = {};
    line[0] = 63;  // EM_GETLINE reads the buffer's size from its first element
    const auto line_number = SendMessageW(log, EM_GETFIRSTVISIBLELINE, 0, 0);
    const auto length = SendMessageW(log, EM_GETLINE, static_cast<WPARAM>(line_number),
                                     reinterpret_cast<LPARAM>(line));
    return std::wstring(line, static_cast<std::size_t>(length));
}

std::size_t line_count(const Text& text) {
    std::size_t lines = 0;
    for (auto at = text.find("\r\n"); at != Text::npos; at = text.find("\r\n", at + 2)) {
        ++lines;
    }
    return lines;
}

// What the user sees is the controls' UTF-16 text, which must be the GBK texts' own
// characters whatever the system's ANSI code page (this test runs under an English one
// too, where the ANSI form of a GBK text would show other characters).
TEST_F(Win32ControlsTest, ControlsShowTheCharactersOfTheirGbkTexts) {
    controls_->set_window_title(gbk("Velmora|本机外网IP：") + "203.0.113.7");
    EXPECT_EQ(wide_window_text(window_.handle()), L"Velmora|本机外网IP：203.0.113.7");
    EXPECT_EQ(wide_window_text(control(control::login_button())), L"登入");
    EXPECT_EQ(wide_window_text(control(control::label(3))), L"注册ID\\官网");

    const Text& list = control::record_list(1);
    controls_->insert_list_row(list, std::nullopt, "5001");
    controls_->set_list_cell_text(list, 0, 5, gbk("解析中..."));
    wchar_t cell[64] = {};
    LVITEMW item{};
    item.iSubItem = 5;
    item.pszText = cell;
    item.cchTextMax = 64;
    SendMessageW(control(list), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(cell), L"解析中...");

    ASSERT_TRUE(controls_->set_tab_caption(control::record_tabs(), 1, gbk("例子.com")));
    wchar_t caption[64] = {};
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = caption;
    tab.cchTextMax = 64;
    SendMessageW(control(control::record_tabs()), TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tab));
    EXPECT_EQ(std::wstring(caption), L"例子.com");

    controls_->append_to_edit(control::run_log(), {gbk("[2024-01-01 08:00:00]：公网IP无变化\r\n")});
    EXPECT_EQ(wide_window_text(control(control::run_log())),
              L"[2024-01-01 08:00:00]：公网IP无变化\r\n");
    // What the user types arrives as the same characters in GBK.
    SetWindowTextW(control(control::token_edit()), L"令牌");
    EXPECT_EQ(controls_->edit_text(control::token_edit()), gbk("令牌"));
}

TEST_F(Win32ControlsTest, MessageBoxIsTaskModalOverTheWindowAndMapsTheAnswers) {
    struct Seen {
        HWND owner;
        Text message, caption;
        UINT style;
    };
    std::vector<Seen> seen;
    int answer = IDOK;
    set_message_box_presenter(
        [&](HWND owner, const Text& message, const Text& caption, UINT style) {
            seen.push_back({owner, message, caption, style});
            return answer;
        });
    EXPECT_EQ(controls_->message_box(gbk("登入成功")), 0);
    answer = IDYES;
    EXPECT_EQ(controls_->message_box("?", MB_YESNO, gbk("提示")), 5);
    answer = IDNO;
    EXPECT_EQ(controls_->message_box("?", MB_YESNO | MB_SYSTEMMODAL), 6);
    answer = IDCONTINUE;
    EXPECT_EQ(controls_->message_box("?", MB_CANCELTRYCONTINUE), 0);

    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].owner, window_.handle());
    EXPECT_EQ(seen[0].message, gbk("登入成功"));
    EXPECT_EQ(seen[0].caption, gbk("信息："));
    EXPECT_EQ(seen[0].style, UINT(MB_OK | MB_TASKMODAL));
    EXPECT_EQ(seen[1].caption, gbk("提示"));
    EXPECT_EQ(seen[1].style, UINT(MB_YESNO | MB_TASKMODAL));
    EXPECT_EQ(seen[2].style, UINT(MB_YESNO | MB_SYSTEMMODAL));
}

TEST_F(Win32ControlsTest, TheUsersKeysAndClicks) {
    window_.present();
    std::vector<std::tuple<int, int, int>> ticks;
    controls_->set_row_check_handler(
        [&](int page, int row, int state) { ticks.emplace_back(page, row, state); });
    int link_presses = 0;
    window_.on_console_link_pressed([&] { ++link_presses; });

    // The space bar ticks the focused row, as a click on its box does.
    const Text& list = control::record_list(1);
    controls_->insert_list_row(list, std::nullopt, "1");
    controls_->insert_list_row(list, std::nullopt, "2");
    LVITEMW focus{};
    focus.stateMask = focus.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageW(control(list), LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&focus));
    SendMessageW(control(list), WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(control(list), WM_KEYUP, VK_SPACE, 0);
    pump();
    EXPECT_EQ(ticks, (std::vector<std::tuple<int, int, int>>{{1, 1, 1}}));

    // The link answers a press of the left button and shows the hand over itself.
    HWND link = control(control::label(3));
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(link_presses, 1);
    SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

    // Appended lines keep the caret at the end and the last line in view.
    HWND log = control(control::run_log());
    for (int line = 0; line < 40; ++line) {
        controls_->append_to_edit(control::run_log(), {"line " + std::to_string(line) + "\r\n"});
    }
    DWORD end = 0;
    SendMessageW(log, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(log)));
    EXPECT_GT(SendMessageW(log, EM_GETFIRSTVISIBLELINE, 0, 0), 30);

    // Enter in a one-line box leaves the focus there; Esc closes the window.
    HWND id = control(control::id_edit());
    SetFocus(id);
    SendMessageW(id, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(id, WM_CHAR, VK_RETURN, 0);
    pump();
    EXPECT_EQ(GetFocus(), id);
    SendMessageW(id, WM_KEYDOWN, VK_ESCAPE, 0);
    pump();
    EXPECT_EQ(window_.handle(), nullptr);
    EXPECT_EQ(controls_->window_title(), "");
}

// Months of running must not grow the window: the log keeps its newest lines. A user who
// scrolled up to read keeps seeing the same lines, caret and selection where they were,
// while new ones arrive and the oldest go.
TEST_F(Win32ControlsTest, TheRunLogFollowsItsEndAndKeepsAScrolledUpView) {
    const Text& run_log = control::run_log();
    HWND log = control(run_log);
    for (int n = 1; n <= 5000; ++n) {
        controls_->append_to_edit(run_log, {"line " + std::to_string(n) + "\r\n"});
    }
    // (What it keeps is the contract test's; here, what the user sees of it.)
    const Text kept = controls_->edit_text(run_log);
    const std::size_t lines = line_count(kept);
    // Following the newest line: the caret at the end, the last line in view.
    DWORD end = 0;
    SendMessageW(log, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(log)));
    const auto rows = SendMessageW(log, EM_GETLINECOUNT, 0, 0);
    EXPECT_GT(SendMessageW(log, EM_GETFIRSTVISIBLELINE, 0, 0), rows - 20);

    // The user scrolls up and clicks into a line; enough lines arrive that the oldest are
    // dropped on the way.
    for (int page = 0; page < 30; ++page) {
        SendMessageW(log, WM_VSCROLL, SB_PAGEUP, 0);
    }
    const std::wstring shown = first_shown_line(log);
    ASSERT_EQ(shown.rfind(L"line ", 0), 0u) << shown;
    const auto first_row = SendMessageW(log, EM_GETFIRSTVISIBLELINE, 0, 0);
    const auto clicked = SendMessageW(log, EM_LINEINDEX, static_cast<WPARAM>(first_row), 0) + 2;
    SendMessageW(log, EM_SETSEL, static_cast<WPARAM>(clicked), static_cast<LPARAM>(clicked));
    for (int n = 5001; n <= 5000 + kLogLinesDroppedAtOnce * 2; ++n) {
        controls_->append_to_edit(run_log, {"line " + std::to_string(n) + "\r\n"});
        ASSERT_EQ(first_shown_line(log), shown) << n;
    }
    DWORD caret = 0;
    SendMessageW(log, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
    const auto caret_line = SendMessageW(log, EM_LINEFROMCHAR, caret, 0);
    EXPECT_EQ(caret_line, SendMessageW(log, EM_GETFIRSTVISIBLELINE, 0, 0));
    EXPECT_EQ(caret - SendMessageW(log, EM_LINEINDEX, static_cast<WPARAM>(caret_line), 0), 2);

    // A view on lines that are dropped shows the oldest line kept.
    SendMessageW(log, WM_VSCROLL, SB_TOP, 0);
    for (int n = 5201; n <= 5200 + kLogLinesDroppedAtOnce; ++n) {
        controls_->append_to_edit(run_log, {"line " + std::to_string(n) + "\r\n"});
    }
    const Text now = controls_->edit_text(run_log);
    const Text oldest = now.substr(0, now.find("\r\n"));
    EXPECT_EQ(SendMessageW(log, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_EQ(first_shown_line(log), std::wstring(oldest.begin(), oldest.end()));
    EXPECT_NE(oldest, "line " + std::to_string(5001 - lines));  // the view's old line went

    // Back at the end, the view follows again.
    SendMessageW(log, WM_VSCROLL, SB_BOTTOM, 0);
    controls_->append_to_edit(run_log, {"line 5301\r\n"});
    EXPECT_GT(SendMessageW(log, EM_GETFIRSTVISIBLELINE, 0, 0),
              SendMessageW(log, EM_GETLINECOUNT, 0, 0) - 20);
}

// One append of more lines than a block still leaves the bound kept.
TEST_F(Win32ControlsTest, TheWaitCursorShowsWhileBusyButNotOverADisabledWindow) {
    window_.present();
    auto cursor_over = [](HWND target, int hit) {
        SetCursor(nullptr);
        SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                     MAKELPARAM(hit, WM_MOUSEMOVE));
        return GetCursor();
    };
    const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    HWND id = control(control::id_edit());
    window_.set_busy(true);
    EXPECT_EQ(cursor_over(id, HTCLIENT), wait);
    EXPECT_EQ(cursor_over(control(control::label(3)), HTCLIENT), wait);
    // A message box disables the window it belongs to: no wait cursor over it then.
    EnableWindow(window_.handle(), FALSE);
    EXPECT_NE(cursor_over(window_.handle(), HTERROR), wait);
    EnableWindow(window_.handle(), TRUE);
    window_.set_busy(false);
    EXPECT_EQ(cursor_over(id, HTCLIENT), LoadCursorW(nullptr, IDC_IBEAM));
}

}  // namespace
}  // namespace velmora
