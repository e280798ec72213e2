// The real velmora.exe, built against a native sandbox on fixed ports, driven from another
// process through window messages as a user's tools would: log in with the demo account,
// tick a record, change the public address and see the record follow it; the settings
// file is found and written beside the executable in a folder with a Chinese name, and
// closing the window ends the process promptly. It runs under a Chinese and an English
// locale: what the window shows is read in UTF-16, the characters the user sees.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "support/velmora_program.h"

namespace velmora {
namespace {

using std::chrono::milliseconds;

using VelmoraExe = ExecutableTest;

TEST_F(VelmoraExe, LogsInWatchesARecordAndRewritesItWhenTheAddressChanges) {
    // Installed in a folder of its own whose name has Chinese characters.
    const std::wstring folder = folder_beside_program(L"安装 目录");
    const Text settings = fresh_settings(folder);
    Program program(folder);
    ASSERT_NE(program.process(), nullptr) << "velmora.exe did not start";

    HWND window = program.main_window();
    ASSERT_NE(window, nullptr) << program.describe();
    EXPECT_EQ(window_text(window), L"Velmora|本机外网IP：198.51.100.10|2001:db8::10");

    const MainControls controls(window);
    ASSERT_NE(controls.run_log, nullptr);  // ID, Token, 运行栏
    // The settings file was found beside the executable.
    EXPECT_EQ(window_text(controls.id_edit), L"100001");
    SendMessageW(controls.token_edit, WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24"));
    ASSERT_NE(controls.login, nullptr);
    // What a click on the button sends its parent; posted, since the login runs inside it
    // and waits for its box to be answered. (BM_CLICK, which goes through the button's
    // own mouse handling, once left the login unstarted here under Wine.)
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(controls.login), BN_CLICKED),
                 reinterpret_cast<LPARAM>(controls.login));

    HWND box = nullptr;
    ASSERT_TRUE(
        wait_until([&] { return (box = program.find_window(L"#32770", window)) != nullptr; },
                   milliseconds(20000)))
        << "login button " << (IsWindowEnabled(controls.login) ? "enabled" : "disabled") << "\n"
        << program.describe() << "run log: " << utf8(window_text(controls.run_log))
        << "\nthe sandbox's counters: " << sandbox_control("counters", 0)
        << "\nits API requests: " << sandbox_control("requests", 0);
    EXPECT_EQ(window_text(GetDlgItem(box, 0xFFFF)), L"登入成功");
    EXPECT_EQ(window_text(box), L"信息：");
    EXPECT_FALSE(IsWindowEnabled(controls.login));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

    ASSERT_NE(controls.tabs, nullptr);
    ASSERT_EQ(controls.lists.size(), 6U);
    const std::vector<HWND>& lists = controls.lists;
    ASSERT_TRUE(wait_until([&] { return program.tab_caption(controls.tabs, 2) != L""; },
                           milliseconds(10000)));
    EXPECT_EQ(program.tab_caption(controls.tabs, 0), L"velmora-demo.example");
    EXPECT_EQ(program.tab_caption(controls.tabs, 1), L"xn--fsq092h.example");
    EXPECT_EQ(program.tab_caption(controls.tabs, 2), L"home-lab.example");
    // The domain id, 20 A records, then the two AAAA records.
    ASSERT_TRUE(wait_until([&] { return SendMessageW(lists[0], LVM_GETITEMCOUNT, 0, 0) == 23; },
                           milliseconds(10000)));
    EXPECT_EQ(program.list_cell(lists[0], 0, 0), L"1001");
    EXPECT_EQ(program.list_cell(lists[0], 1, 0), L"5001");
    EXPECT_EQ(program.list_cell(lists[0], 1, 3), L"198.51.100.10");
    ASSERT_TRUE(wait_until([&] { return SendMessageW(lists[2], LVM_GETITEMCOUNT, 0, 0) > 0; },
                           milliseconds(10000)));
    // Disabled while the login runs, so a second click cannot start another inside it.
    EXPECT_TRUE(
        wait_until([&] { return IsWindowEnabled(controls.login) != FALSE; }, milliseconds(10000)));

    program.tick_row(lists[0], 1);
    EXPECT_EQ(program.list_cell(lists[0], 1, 5), L"解析中...");
    const std::wstring unchanged = L"]：公网IP无变化，无需更新，120秒后重新检测";
    ASSERT_TRUE(wait_until(
        [&] { return window_text(controls.run_log).find(unchanged) != std::wstring::npos; },
        milliseconds(20000)))
        << utf8(window_text(controls.run_log));

    sandbox_control("public-address?ip=203.0.113.99", 1);
    const std::wstring updated = L"]：更新记录值成功|IP为：203.0.113.99";
    ASSERT_TRUE(wait_until(
        [&] { return window_text(controls.run_log).find(updated) != std::wstring::npos; },
        milliseconds(20000)))
        << utf8(window_text(controls.run_log));
    EXPECT_NE(sandbox_control("records?domain_id=1001", 0).find("203.0.113.99"), Text::npos);
    // The next pass reads the new value back and from then on reports no change.
    const std::size_t unchanged_before = occurrences(window_text(controls.run_log), unchanged);
    ASSERT_TRUE(wait_until(
        [&] { return occurrences(window_text(controls.run_log), unchanged) > unchanged_before; },
        milliseconds(20000)));
    EXPECT_EQ(program.list_cell(lists[0], 1, 3), L"203.0.113.99");

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
