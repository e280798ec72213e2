// velmora.exe remembers the records it watches and, with 启动时自动登入 on, logs in by
// itself at its next start: the same rows ticked and watched again, the loop's first
// check in the run log, and no box, since nobody may be there to answer it.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "support/velmora_program.h"

namespace velmora {
namespace {

using std::chrono::milliseconds;

using VelmoraResume = ExecutableTest;

// Ticks an option in the tray menu and waits until the settings file has it on.
void turn_on_from_tray(const Program& program, TrayMenuItem item, const Text& settings,
                       const Text& key) {
    choose_in_tray_menu(program, program.tray_window(), item);
    EXPECT_TRUE(
        wait_until([&] { return read_ini_item(settings, gbk("运行选项"), key) == gbk("真"); },
                   milliseconds(5000)))
        << utf8(window_text(MainControls(program.main_window()).run_log));
}

bool check_line_shown(HWND run_log) {
    const std::wstring log = window_text(run_log);
    return log.find(L"]：公网IP无变化，无需更新，120秒后重新检测") != std::wstring::npos ||
           log.find(L"]：更新记录值成功|IP为：") != std::wstring::npos;
}

TEST_F(VelmoraResume, TicksItsRememberedRecordsAgainWhenItLogsInByItselfAtStart) {
    const std::wstring folder = folder_beside_program(L"续 跑");
    const Text settings = fresh_settings(folder);
    const Text watches = gbk("监控记录");
    {
        Program program(folder);
        HWND window = program.main_window();
        ASSERT_NE(window, nullptr) << program.describe();
        log_in(program, window);
        const MainControls controls(window);
        program.tick_row(controls.lists[0], 1);  // www of velmora-demo.example, 5001
        program.tick_row(controls.lists[2], 2);  // vpn of home-lab.example, 7002
        EXPECT_TRUE(wait_until(
            [&] {
                return read_ini_item(settings, watches, "1001") == "5001" &&
                       read_ini_item(settings, watches, "1003") == "7002";
            },
            milliseconds(5000)));
        turn_on_from_tray(program, kLogInAtStart, settings, gbk("启动时登入"));
        PostMessageW(window, WM_CLOSE, 0, 0);
        ASSERT_EQ(program.exit_code_within(milliseconds(2000)), 0);
    }

    Program program(folder);
    HWND window = program.main_window();
    ASSERT_NE(window, nullptr) << program.describe();
    const MainControls controls(window);
    bool box_shown = false;
    const auto no_box_until = [&](const std::function<bool()>& done) {
        return wait_until(
            [&] {
                box_shown = box_shown || program.find_window(L"#32770", window) != nullptr;
                return done();
            },
            milliseconds(20000));
    };
    ASSERT_TRUE(no_box_until([&] {
        return row_ticked(controls.lists[0], 1) && row_ticked(controls.lists[2], 2);
    })) << program.describe()
        << utf8(window_text(controls.run_log));
    EXPECT_EQ(program.list_cell(controls.lists[0], 1, 0), L"5001");
    EXPECT_EQ(program.list_cell(controls.lists[0], 1, 5), L"解析中...");
    EXPECT_EQ(program.list_cell(controls.lists[2], 2, 0), L"7002");
    EXPECT_EQ(program.list_cell(controls.lists[2], 2, 5), L"解析中...");
    EXPECT_FALSE(row_ticked(controls.lists[0], 2));
    EXPECT_TRUE(no_box_until([&] { return check_line_shown(controls.run_log); }))
        << utf8(window_text(controls.run_log));
    // vpn followed the address (192.0.2.2 before), and the tray told of it.
    EXPECT_TRUE(no_box_until([&] {
        return window_text(controls.run_log).find(L"]：更新记录值成功|IP为：198.51.100.10") !=
               std::wstring::npos;
    }));
    EXPECT_TRUE(no_box_until([&] { return balloon_text() == L"记录已更新：vpn → 198.51.100.10"; }))
        << utf8(balloon_text());
    EXPECT_FALSE(box_shown) << program.describe();
    EXPECT_EQ(read_ini_item(settings, watches, "1001"), "5001");
    EXPECT_EQ(read_ini_item(settings, watches, "1003"), "7002");
}

// Started at logon before the network: the provider's port refuses at first. The login
// waits without a box, says so once, and once the provider is reachable ticks the record
// and follows the address by itself.
TEST_F(VelmoraResume, ALoginAtStartBeforeTheNetworkWaitsAndFollowsWithoutABox) {
    const std::wstring folder = folder_beside_program(L"续 跑");
    const Text settings = fresh_settings(folder);
    write_ini_item(settings, gbk("登入数据"), "Token", "5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24");
    write_ini_item(settings, gbk("运行选项"), gbk("启动时登入"), gbk("真"));
    write_ini_item(settings, gbk("监控记录"), "1003", "7002");
    api_relay_.reset();
    Program program(folder, L"--minimized");
    HWND window = program.main_window();
    ASSERT_NE(window, nullptr) << program.describe();
    const MainControls controls(window);
    const std::wstring waiting = L"]：连不上服务商，等网络恢复后自动重新登入：登入未完成：7";
    ASSERT_TRUE(wait_until([&] { return occurrences(window_text(controls.run_log), waiting) > 0; },
                           milliseconds(20000)))
        << utf8(window_text(controls.run_log));
    api_relay_.emplace(VELMORA_TEST_API_RELAY_PORT, VELMORA_TEST_API_PORT);
    ASSERT_TRUE(api_relay_->listening());
    EXPECT_TRUE(wait_until(
        [&] {
            return window_text(controls.run_log).find(L"]：更新记录值成功|IP为：198.51.100.10") !=
                   std::wstring::npos;
        },
        milliseconds(20000)))
        << utf8(window_text(controls.run_log));
    const std::wstring log = window_text(controls.run_log);
    EXPECT_EQ(occurrences(log, waiting), 1u) << utf8(log);
    EXPECT_EQ(occurrences(log, L"]：已连上服务商，自动登入成功"), 1u) << utf8(log);
    EXPECT_TRUE(row_ticked(controls.lists[2], 2));
    EXPECT_EQ(program.find_window(L"#32770", window), nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
}

// With 保护令牌 on, the token typed at the login stands in the file only as the data
// protection API's bytes: the next start reads them and logs in by itself.
TEST_F(VelmoraResume, LogsInByItselfWithTheTokenProtected) {
    const std::wstring folder = folder_beside_program(L"续 跑");
    const Text settings = fresh_settings(folder);
    const Text token = "5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24";
    {
        Program program(folder);
        HWND window = program.main_window();
        ASSERT_NE(window, nullptr) << program.describe();
        log_in(program, window);
        turn_on_from_tray(program, kProtectToken, settings, gbk("保护令牌"));
        turn_on_from_tray(program, kLogInAtStart, settings, gbk("启动时登入"));
        PostMessageW(window, WM_CLOSE, 0, 0);
        ASSERT_EQ(program.exit_code_within(milliseconds(2000)), 0);
    }
    EXPECT_EQ(read_ini_item(settings, gbk("登入数据"), "Token"), "");
    EXPECT_FALSE(read_ini_item(settings, gbk("登入数据"), "ProtectedToken").empty());
    EXPECT_EQ(file_bytes(settings).find(token), Text::npos);

    Program program(folder);
    HWND window = program.main_window();
    ASSERT_NE(window, nullptr) << program.describe();
    const MainControls controls(window);
    // The account's records listed: the provider took the token.
    EXPECT_TRUE(wait_until([&] { return program.list_cell(controls.lists[0], 1, 0) == L"5001"; },
                           milliseconds(20000)))
        << program.describe() << utf8(window_text(controls.run_log));
    EXPECT_EQ(program.find_window(L"#32770", window), nullptr);
    EXPECT_EQ(window_text(controls.token_edit), L"5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24");
    EXPECT_EQ(file_bytes(settings).find(token), Text::npos);
}

// Started hidden in the tray (as at logon) with a token the provider refuses: the failure's
// box comes, and once answered the window shows instead of staying hidden.
TEST_F(VelmoraResume, ALoginAtStartThatFailsShowsTheWindow) {
    const std::wstring folder = folder_beside_program(L"续 跑");
    const Text settings = fresh_settings(folder);
    write_ini_item(settings, gbk("登入数据"), "Token", "00000000000000000000000000000000");
    write_ini_item(settings, gbk("运行选项"), gbk("启动时登入"), gbk("真"));
    Program program(folder, L"--minimized");
    HWND window = program.main_window();
    ASSERT_NE(window, nullptr) << program.describe();
    HWND box = nullptr;
    ASSERT_TRUE(
        wait_until([&] { return (box = program.find_window(L"#32770", window)) != nullptr; },
                   milliseconds(20000)))
        << program.describe();
    EXPECT_EQ(window_text(GetDlgItem(box, 0xFFFF)), L"登入失败");
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(wait_until([&] { return IsWindowVisible(window) && !IsIconic(window); },
                           milliseconds(10000)))
        << program.describe();
}

}  // namespace
}  // namespace velmora
