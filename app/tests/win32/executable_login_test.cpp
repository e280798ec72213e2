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
    // The settings file was found beside the executable.
    EXPECT_EQ(window_text(controls.id_edit), L"100001");
    log_in(program, window);

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

    program.tick_row(lists[0], 1);
    EXPECT_EQ(program.list_cell(lists[0], 1, 5), L"解析中...");
    const std::wstring unchanged = L"]：公网IP无变化，无需更新，120秒后重新检测";
    ASSERT_TRUE(run_log_shows(controls.run_log, unchanged));

    sandbox_control("public-address?ip=203.0.113.99", 1);
    const std::wstring updated = L"]：更新记录值成功|IP为：203.0.113.99";
    ASSERT_TRUE(run_log_shows(controls.run_log, updated));
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
