// The steps both windows share, over the in-memory controls and a shell that records what
// it was asked, against the substitute provider on loopback: how a start shows the window,
// a login at start that ticks the remembered watches with no box, a failed one that brings
// the window back, minimising into the tray, and closing down.
#include "app/session/desktop_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "api/tests/support/sandbox_fixture.h"
#include "app/settings/run_options.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/ini_file.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class RecordingShell : public WindowShell {
  public:
    void present() override { moves.push_back("present"); }
    void show_minimised() override { moves.push_back("show_minimised"); }
    void bring_back() override { moves.push_back("bring_back"); }
    void hide() override { moves.push_back("hide"); }
    bool tray_shown() const override { return tray; }
    void set_busy(bool busy) override { moves.push_back(busy ? "busy" : "idle"); }
    void after_painting(std::function<void()> step) override {
        moves.push_back("painted");
        step();
    }
    void release_controls() override { moves.push_back("release"); }

    bool tray = false;
    std::vector<std::string> moves;
};

class DesktopSessionTest : public testing::SandboxTest {
  protected:
    void SetUp() override {
        SandboxTest::SetUp();
        directory_ = fs::temp_directory_path() / ("velmora-session-" + std::to_string(::getpid()));
        fs::create_directories(directory_);
        settings_ = {directory_.string(), (directory_ / "velmora.ini").string(), true, {}};
        controls_.set_edit_text(control::id_edit(), "");
        controls_.set_edit_text(control::token_edit(), "");
    }
    void TearDown() override {
        reset_shutdown();
        fs::remove_all(directory_);
        SandboxTest::TearDown();
    }

    void store(const Text& section, const Text& key, const Text& value) {
        ASSERT_TRUE(write_ini_item(settings_.settings_file, section, key, value));
    }
    void store_credential(const Text& token) {
        store(gbk("登入数据"), "ID", testing::kThreeDomainId);
        store(gbk("登入数据"), "Token", token);
        store(gbk("选择框"), gbk("状态"), gbk("真"));
    }

    fs::path directory_;
    SettingsLocation settings_;
    RecordingShell shell_;
};

TEST_F(DesktopSessionTest, AStartWithTheOptionsOffShowsTheWindowAndLogsInNobody) {
    DesktopSession session(shell_, controls_, endpoints_, settings_);
    session.start(DesktopSession::Start::shown);
    EXPECT_EQ(shell_.moves, (std::vector<std::string>{"present", "painted"}));
    EXPECT_EQ(count("Domain.List"), 0u);
    EXPECT_TRUE(controls_.message_boxes().empty());

    // Minimised without a tray stays minimised; with a tray it is not even shown.
    RecordingShell in_tray;
    in_tray.tray = true;
    DesktopSession hidden(in_tray, controls_, endpoints_, settings_);
    hidden.start(DesktopSession::Start::minimised);
    EXPECT_EQ(in_tray.moves, (std::vector<std::string>{"painted"}));
    RecordingShell no_tray;
    DesktopSession minimised(no_tray, controls_, endpoints_, settings_);
    minimised.start(DesktopSession::Start::minimised);
    EXPECT_EQ(no_tray.moves, (std::vector<std::string>{"show_minimised", "painted"}));
}

TEST_F(DesktopSessionTest, ALoginAtStartTicksTheRememberedWatchesWithoutABox) {
    store_credential(testing::kThreeDomainToken);
    store(gbk("运行选项"), gbk("启动时登入"), gbk("真"));
    store(gbk("监控记录"), "1001", "5001");
    DesktopSession session(shell_, controls_, endpoints_, settings_);
    session.start(DesktopSession::Start::minimised);

    EXPECT_TRUE(controls_.message_boxes().empty());
    EXPECT_EQ(std::count(shell_.moves.begin(), shell_.moves.end(), "bring_back"), 0);
    const Text& list = control::record_list(1);
    int ticked = 0;
    for (int row = 0; row < controls_.list_row_count(list); ++row) {
        if (controls_.list_row_checked(list, row)) {
            EXPECT_EQ(controls_.list_cell_text(list, row, 0), "5001");
            ++ticked;
        }
    }
    EXPECT_EQ(ticked, 1);
    session.close_down();
    EXPECT_EQ(shell_.moves.back(), "release");
}

TEST_F(DesktopSessionTest, AFailedLoginAtStartShowsItsBoxAndBringsTheWindowBack) {
    store_credential("0000000000000000000000000000dead");
    store(gbk("运行选项"), gbk("启动时登入"), gbk("真"));
    DesktopSession session(shell_, controls_, endpoints_, settings_);
    session.start(DesktopSession::Start::minimised);
    EXPECT_EQ(controls_.message_boxes().size(), 1u);
    EXPECT_EQ(shell_.moves.back(), "bring_back");
}

TEST_F(DesktopSessionTest, MinimisingHidesIntoTheTrayOnlyWithTheOptionAndATray) {
    DesktopSession session(shell_, controls_, endpoints_, settings_);
    session.minimised();
    shell_.tray = true;
    session.minimised();
    EXPECT_TRUE(shell_.moves.empty());
    ASSERT_TRUE(session.core().set_option(RunOption::minimise_to_tray, true));
    session.minimised();
    EXPECT_EQ(shell_.moves, std::vector<std::string>{"hide"});
    shell_.tray = false;
    session.minimised();
    EXPECT_EQ(shell_.moves, std::vector<std::string>{"hide"});
}

TEST_F(DesktopSessionTest, TheLoginButtonShowsTheWaitCursorWhileItRuns) {
    DesktopSession session(shell_, controls_, endpoints_, settings_);
    controls_.set_edit_text(control::id_edit(), testing::kThreeDomainId);
    controls_.set_edit_text(control::token_edit(), testing::kThreeDomainToken);
    session.login();
    EXPECT_EQ(shell_.moves, (std::vector<std::string>{"busy", "idle"}));
    EXPECT_EQ(controls_.tab_caption(control::record_tabs(), 1), "velmora-demo.example");
}

}  // namespace
}  // namespace velmora
