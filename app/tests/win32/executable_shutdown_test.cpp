// Closing velmora.exe while a request waits on a server that accepted it and never
// answers: the process ends within two seconds, and a login cut short that way leaves
// velmora.ini as it was, byte for byte.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "support/velmora_program.h"

namespace velmora {
namespace {

using std::chrono::milliseconds;

using VelmoraShutdown = ExecutableTest;

void expect_closes_within_two_seconds(const Program& program, HWND window) {
    const auto closing = std::chrono::steady_clock::now();
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.exit_code_within(milliseconds(2000)), 0) << program.describe();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, milliseconds(2000));
}

TEST_F(VelmoraShutdown, ClosingWhileTheLoopWaitsForASilentTimeSiteEndsItPromptly) {
    const std::wstring folder = folder_beside_program(L"关闭");
    fresh_settings(folder);
    Program program(folder);
    HWND window = program.main_window();
    ASSERT_NE(window, nullptr) << program.describe();
    log_in(program, window);
    const MainControls controls(window);
    program.tick_row(controls.lists[0], 1);
    ASSERT_TRUE(run_log_shows(controls.run_log, L"]：公网IP无变化"));

    // The next pass's log line asks the time site for the time, and waits.
    time_relay_.set_silent(true);
    ASSERT_TRUE(wait_until([&] { return time_relay_.held() > 0; }, milliseconds(10000)));
    expect_closes_within_two_seconds(program, window);
}

TEST_F(VelmoraShutdown, ClosingDuringALoginsFirstRequestLeavesTheSettingsAsTheyWere) {
    const std::wstring folder = folder_beside_program(L"关闭");
    const Text settings = fresh_settings(folder);
    write_ini_item(settings, gbk("登入数据"), "Token", "5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24");
    write_ini_item(settings, gbk("选择框"), gbk("状态"), gbk("真"));
    const Text before = file_bytes(settings);
    ASSERT_FALSE(before.empty());
    Program program(folder);
    HWND window = program.main_window();
    ASSERT_NE(window, nullptr) << program.describe();
    const MainControls controls(window);
    ASSERT_EQ(window_text(controls.token_edit), L"5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24");

    // The login first asks the HTTP-DNS endpoint for the public address, and waits.
    dns_relay_.set_silent(true);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(controls.login), BN_CLICKED),
                 reinterpret_cast<LPARAM>(controls.login));
    ASSERT_TRUE(wait_until([&] { return dns_relay_.held() > 0; }, milliseconds(10000)));
    expect_closes_within_two_seconds(program, window);
    EXPECT_EQ(file_bytes(settings), before);
}

}  // namespace
}  // namespace velmora
