// The real velmora-headless.exe, built against the native sandbox, from a console: the
// set-up by name over the velmora.ini beside it, one pass, and a run that Ctrl+Break
// ends promptly. Its lines arrive through pipes, hence in the ANSI code page (936 here).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/win32/wide_text.h"
#include "support/headless_program.h"
#include "support/velmora_program.h"

namespace velmora {
namespace {

using std::chrono::milliseconds;

using HeadlessExe = ExecutableTest;

constexpr char kToken[] = "5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24";

TEST_F(HeadlessExe, SetsUpByNameFromTheConsoleAndRunsOnePass) {
    const std::wstring folder = folder_beside_program(L"命令行 设置");
    const Text settings = fresh_settings(folder);
    DeleteFileW((folder + L"\\velmora.ini").c_str());

    // Piped input: the ID and the token, one line each.
    HeadlessResult run =
        run_headless_program(folder, L"--login", "100001\r\n" + Text(kToken) + "\r\n");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, gbk("登入成功，ID和Token已保存到 ") + settings + "\r\n");
    EXPECT_EQ(read_ini_item(settings, gbk("登入数据"), "Token"), kToken);

    run = run_headless_program(folder, L"--list");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find(gbk("域名 velmora-demo.example（域名ID 1001）\r\n")), Text::npos)
        << run.out;
    EXPECT_NE(run.out.find("198.51.100.10"), Text::npos);
    EXPECT_NE(run.out.find(gbk("域名 home-lab.example（域名ID 1003）")), Text::npos);
    EXPECT_EQ(run.out.find(gbk("监控中")), Text::npos);  // nothing watched yet

    run = run_headless_program(folder, L"--watch www.velmora-demo.example --type A");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out,
              gbk("开始监控：www.velmora-demo.example A 198.51.100.10（记录ID 5001）\r\n"));
    EXPECT_EQ(read_ini_item(settings, gbk("监控记录"), "1001"), "5001");
    run = run_headless_program(folder, L"--list");
    EXPECT_NE(run.out.find(gbk("监控中")), Text::npos) << run.out;

    run = run_headless_program(folder, L"--watch nosuch.velmora-demo.example");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("nosuch.velmora-demo.example"), Text::npos) << run.err;
    EXPECT_EQ(read_ini_item(settings, gbk("监控记录"), "1001"), "5001");

    // One pass over the watched record, its lines on standard output and in the history.
    run = run_headless_program(folder, L"--once");
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find(gbk("]：公网IP无变化")), Text::npos) << run.out;
    EXPECT_NE(file_bytes(gbk_path(folder) + "\\velmora.log").find(gbk("]：公网IP无变化")),
              Text::npos);
}

TEST_F(HeadlessExe, RefusesWhatItCannotDoWithOneLine) {
    const std::wstring folder = folder_beside_program(L"命令行 拒绝");
    fresh_settings(folder);  // an ID, no token
    HeadlessResult run = run_headless_program(folder, L"--once");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find(gbk("设置文件中没有ID和Token")), Text::npos) << run.err;

    run = run_headless_program(folder, L"--system");  // Linux's service files only
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_NE(run.err.find(gbk("无法识别的参数：--system")), Text::npos) << run.err;
    run = run_headless_program(folder, L"--install-service --once");
    EXPECT_EQ(run.exit_code, 2);
    // Not started by the service manager.
    run = run_headless_program(folder, L"--service");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find(gbk("--service 只由服务管理器启动")), Text::npos) << run.err;
}

// Ctrl+Break as the console delivers it: the system starts the process's control
// routine on a new thread of the process with the event. (Wine differs: a
// GenerateConsoleCtrlEvent from a test whose streams are pipes fails, or with a console
// made for it reports success and delivers nothing; so the test starts that routine
// itself, which is what the console does on Windows.)
TEST_F(HeadlessExe, CtrlBreakEndsTheRunWithinTwoSeconds) {
    const std::wstring folder = folder_beside_program(L"命令行 中断");
    const Text settings = fresh_settings(folder);
    write_ini_item(settings, gbk("登入数据"), "Token", kToken);
    write_ini_item(settings, gbk("监控记录"), "1001", "5001");
    HeadlessProgram program(folder, L"");
    ASSERT_TRUE(wait_until([&] { return program.out().find(gbk("]：公网IP无变化")) != Text::npos; },
                           milliseconds(20000)))
        << program.out() << program.err();

    // Kernel32 lies at the same address in every process of the session.
    const auto control_routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CtrlRoutine")));
    ASSERT_NE(control_routine, nullptr);
    const auto asked = std::chrono::steady_clock::now();
    HANDLE thread =
        CreateRemoteThread(program.process(), nullptr, 0, control_routine,
                           reinterpret_cast<void*>(std::uintptr_t{CTRL_BREAK_EVENT}), 0, nullptr);
    ASSERT_NE(thread, nullptr);
    CloseHandle(thread);
    EXPECT_EQ(program.exit_code_within(milliseconds(2000)), 0) << program.err();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, milliseconds(2000));
}

}  // namespace
}  // namespace velmora
