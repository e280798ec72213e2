// velmora.exe with the HTTP-DNS endpoint over IPv6 ([::1]) under Wine: the title shows the
// public IPv6 address beside the IPv4 one, page 1 lists its AAAA records after its A
// records, and a ticked AAAA record follows the IPv6 address when it changes.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "support/velmora_program.h"

namespace velmora {
namespace {

using std::chrono::milliseconds;

using VelmoraIpv6 = ExecutableTest;

TEST_F(VelmoraIpv6, AnAaaaRecordFollowsThePublicIpv6Address) {
    const std::wstring folder = folder_beside_program(L"IPv6");
    fresh_settings(folder);
    Program program(folder);
    HWND window = program.main_window();
    ASSERT_NE(window, nullptr) << program.describe();
    EXPECT_EQ(window_text(window), L"Velmora|本机外网IP：198.51.100.10|2001:db8::10");
    log_in(program, window);
    const MainControls controls(window);
    HWND page = controls.lists[0];
    ASSERT_TRUE(wait_until([&] { return SendMessageW(page, LVM_GETITEMCOUNT, 0, 0) == 23; },
                           milliseconds(10000)));
    EXPECT_EQ(program.list_cell(page, 20, 2), L"A");
    EXPECT_EQ(program.list_cell(page, 21, 0), L"5029");
    EXPECT_EQ(program.list_cell(page, 21, 1), L"www");
    EXPECT_EQ(program.list_cell(page, 21, 2), L"AAAA");
    EXPECT_EQ(program.list_cell(page, 21, 3), L"2001:db8::10");
    EXPECT_EQ(program.list_cell(page, 22, 0), L"5030");
    EXPECT_EQ(program.list_cell(page, 22, 1), L"@");
    EXPECT_EQ(program.list_cell(page, 22, 2), L"AAAA");

    program.tick_row(page, 21);
    const std::wstring unchanged = L"]：公网IP无变化，无需更新，120秒后重新检测";
    ASSERT_TRUE(run_log_shows(controls.run_log, unchanged));

    sandbox_control("public-address6?ip=2001:db8::99", 1);
    const std::wstring updated = L"]：更新记录值成功|IP为：2001:db8::99";
    ASSERT_TRUE(run_log_shows(controls.run_log, updated));
    // Only the ticked record took the new address: @ kept its own, and no A record took
    // an IPv6 address.
    const Text records = sandbox_control("records?domain_id=1001", 0);
    ASSERT_NE(records.find("2001:db8::99"), Text::npos) << records;
    EXPECT_EQ(records.find("2001:db8::99"), records.rfind("2001:db8::99")) << records;
    EXPECT_EQ(program.list_cell(page, 22, 3), L"2001:db8::10");
}

}  // namespace
}  // namespace velmora
