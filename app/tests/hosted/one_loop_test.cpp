// One update loop per settings file, whoever runs it: the run holding the lock beside
// the settings loops, another run on the same settings (a window) only shows and saves,
// and the running loop takes in what the other run or a shell changed in the file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "api/tests/support/sandbox_fixture.h"
#include "app/session/loop_ownership.h"
#include "app/session/session_core.h"
#include "base/system/atomic_file.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/ini_file.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(milliseconds(10));
    }
    return condition();
}

class OneLoop : public testing::SandboxTest {
  protected:
    void SetUp() override {
        SandboxTest::SetUp();
        reset_shutdown();
        endpoints_.update_period = milliseconds(30);
        directory_ = fs::temp_directory_path() / ("velmora-one-loop-" + std::to_string(::getpid()));
        fs::create_directories(directory_);
        settings_ = {directory_.string(), (directory_ / "velmora.ini").string(), true, {}};
        write(gbk("登入数据"), "ID", testing::kThreeDomainId);
        write(gbk("登入数据"), "Token", testing::kThreeDomainToken);
        sandbox_.set_public_address("198.51.100.10");  // what www (5001) and @ (5002) hold
    }
    void TearDown() override {
        request_shutdown();
        reset_shutdown();
        fs::remove_all(directory_);
        SandboxTest::TearDown();
    }
    void write(const Text& section, const Text& key, const Text& value) {
        ASSERT_TRUE(write_ini_item(settings_.settings_file, section, key, value));
    }
    // A run on the settings, logged in as at a start with remembered watches.
    std::unique_ptr<SessionCore> start(MemoryControls& controls) {
        auto core = std::make_unique<SessionCore>(controls, endpoints_, settings_);
        core->window_created();
        EXPECT_TRUE(core->log_in_by_itself());
        return core;
    }
    static bool logged(MemoryControls& controls, const Text& line) {
        return controls.edit_text(control::run_log()).find(line) != Text::npos;
    }

    fs::path directory_;
    SettingsLocation settings_;
};

TEST_F(OneLoop, AWindowBesideTheLoopsOwnerSendsNoChangeAndItsTickReachesThatLoop) {
    write(gbk("监控记录"), "1001", "5001");
    MemoryControls service_controls;
    const auto service = start(service_controls);
    ASSERT_TRUE(eventually([&] { return count("Record.List") >= 6; }));  // it loops

    MemoryControls window_controls;
    const auto window = start(window_controls);
    const Text another_run =
        gbk("另一个运行中的velmora正在为这个设置文件更新记录，这里不再另外更新：");
    EXPECT_TRUE(logged(window_controls, another_run + settings_.settings_file));
    EXPECT_FALSE(logged(service_controls, another_run));
    // The window shows its records as usual, the remembered one ticked.
    EXPECT_TRUE(window_controls.list_row_checked(control::record_list(1), 1));

    sandbox_.set_public_address("203.0.113.45");
    ASSERT_TRUE(eventually([&] { return sandbox_.records(1001)->at(0).value == "203.0.113.45"; }));
    // A tick in the window is saved, and the service's next pass takes the record on.
    window_controls.set_list_row_checked(control::record_list(1), 2, true);  // @, 5002
    EXPECT_EQ(read_ini_item(settings_.settings_file, gbk("监控记录"), "1001"), "5001,5002");
    ASSERT_TRUE(eventually([&] { return sandbox_.records(1001)->at(1).value == "203.0.113.45"; }));
    EXPECT_TRUE(service_controls.list_row_checked(control::record_list(1), 2));
    EXPECT_TRUE(logged(service_controls, gbk("设置文件中的监控记录有变化，已按它勾选：")));
    std::this_thread::sleep_for(milliseconds(200));  // passes enough for a second writer
    EXPECT_EQ(count("Record.Modify"), 2u);           // one a record: the window changed nothing
}

TEST_F(OneLoop, TheRunningLoopTakesInANewTokenAndARemovedWatch) {
    write(gbk("监控记录"), "1001", "5001,5002");
    MemoryControls controls;
    const auto core = start(controls);
    ASSERT_TRUE(eventually([&] { return count("Record.List") >= 4; }));

    // As --login and --unwatch from a shell write them, one after the other: a pass may
    // come between the two, and take the watches a pass later.
    write(gbk("登入数据"), "Token", "rotated-token");
    write(gbk("监控记录"), "1001", "5002");
    ASSERT_TRUE(eventually([&] {
        return !bodies("Record.List").empty() &&
               bodies("Record.List").back().find("rotated-token") != Text::npos &&
               !controls.list_row_checked(control::record_list(1), 1);
    }));
    EXPECT_EQ(controls.edit_text(control::token_edit()), "rotated-token");
    EXPECT_TRUE(controls.list_row_checked(control::record_list(1), 2));
    EXPECT_TRUE(logged(controls, gbk("设置文件中的ID和Token有变化，下一次请求起使用新的：")));
}

TEST_F(OneLoop, AUtf8SettingsFileIsReadAndSaidOnce) {
    ASSERT_TRUE(replace_file_atomically(
        settings_.settings_file,
        "\xEF\xBB\xBF[登入数据]\nID=100001\nToken=5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24\n"
        "[监控记录]\n1001=5001\n"));
    MemoryControls controls;
    const auto core = start(controls);
    EXPECT_EQ(controls.edit_text(control::id_edit()), "100001");
    EXPECT_TRUE(controls.list_row_checked(control::record_list(1), 1));
    const Text log = controls.edit_text(control::run_log());
    const Text said = gbk("设置文件是UTF-8编码，已按UTF-8读取，下次保存时改存为GBK：");
    EXPECT_NE(log.find(said), Text::npos) << log;
    EXPECT_EQ(log.find(said, log.find(said) + 1), Text::npos);
    // The login saved the credential: the file is GBK now.
    EXPECT_FALSE(ini_file_in_utf8(settings_.settings_file));
    EXPECT_EQ(read_ini_item(settings_.settings_file, gbk("监控记录"), "1001"), "5001");
}

// Claims of a run that may not write the settings' folder (as under a hardened unit):
// run as an unprivileged user in a child, since root writes anywhere. The child's exit
// status is the claim, or 9 when a note did not say what it should.
int claim_without_privileges(const SettingsLocation& settings, const char* runtime,
                             const Text& note_part) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(8);
        }
        ::unsetenv("XDG_RUNTIME_DIR");
        if (runtime != nullptr) {
            ::setenv("RUNTIME_DIRECTORY", runtime, 1);
        } else {
            ::unsetenv("RUNTIME_DIRECTORY");
        }
        LoopOwnership ownership(settings);
        const int claim = static_cast<int>(ownership.claim());
        ::_exit(ownership.note().find(note_part) == Text::npos ? 9 : claim);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(OneLoop, TheLockGoesToTheRuntimeFolderWhenTheSettingsFolderCannotBeWritten) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run as another user";
    }
    fs::permissions(directory_, fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    const fs::path runtime = directory_.string() + "-run";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::all);
    const Text beside = settings_.directory + "/velmora.lock";

    EXPECT_EQ(claim_without_privileges(settings_, runtime.c_str(),
                                       gbk("设置文件夹无法写入，更新锁不能放在 ") + beside),
              static_cast<int>(LoopOwnership::Claim::owned));
    EXPECT_EQ(claim_without_privileges(settings_, nullptr, gbk("无法写入更新锁：") + beside),
              static_cast<int>(LoopOwnership::Claim::unlockable));
    // The lock elsewhere still keeps a second loop off: held here, refused there.
    ::setenv("RUNTIME_DIRECTORY", runtime.c_str(), 1);
    fs::permissions(directory_, fs::perms::owner_read | fs::perms::owner_exec);
    {
        LoopOwnership first(settings_);  // root: beside the settings
        ASSERT_EQ(first.claim(), LoopOwnership::Claim::owned);
        EXPECT_EQ(first.note(), "");
        LoopOwnership second(settings_);
        EXPECT_EQ(second.claim(), LoopOwnership::Claim::held_elsewhere);
    }
    ::unsetenv("RUNTIME_DIRECTORY");
    fs::permissions(directory_, fs::perms::owner_all);
    fs::remove_all(runtime);
}

}  // namespace
}  // namespace velmora
