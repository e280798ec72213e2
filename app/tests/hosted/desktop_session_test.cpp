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
#include <thread>
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

// What the tray would be told while the login at start waits.
class WaitingTray : public UpdateObserver {
  public:
    void checked(const Text&, const Text&) override {}
    void record_changed(const Text&, const Text&, const Text&) override {}
    void failure_began(const Text&) override {}
    void login_waiting(const Text& reason) override {
        heard.push_back(reason);
        if (on_waiting) {
            on_waiting();
        }
    }
    std::vector<Text> heard;
    std::function<void()> on_waiting;
};

std::size_t occurrences(const Text& text, const Text& part) {
    std::size_t found = 0;
    for (auto at = text.find(part); at != Text::npos; at = text.find(part, at + 1)) {
        ++found;
    }
    return found;
}

// A start before the network: the provider's port refuses for a while, then a provider
// answers there. The login waits without a box, says so once, and logs in by itself.
TEST_F(DesktopSessionTest, ALoginAtStartWaitsForTheProviderWithoutABox) {
    store_credential(testing::kThreeDomainToken);
    store(gbk("运行选项"), gbk("启动时登入"), gbk("真"));
    store(gbk("监控记录"), "1001", "5001");
    sandbox::SandboxServer provider(options());
    ASSERT_TRUE(provider.start());
    set_extra_ca_file(provider.ca_file());
    provider.stop();  // its port now refuses
    endpoints_.api_host = provider.api_host();
    endpoints_.update_period = std::chrono::milliseconds(1600);  // first retry after 200 ms
    std::thread network_comes([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        EXPECT_TRUE(provider.start());
    });

    DesktopSession session(shell_, controls_, endpoints_, settings_);
    WaitingTray tray;
    session.core().set_update_observer(&tray);
    session.start(DesktopSession::Start::minimised);
    network_comes.join();

    EXPECT_TRUE(controls_.message_boxes().empty());
    EXPECT_EQ(std::count(shell_.moves.begin(), shell_.moves.end(), "bring_back"), 0);
    EXPECT_TRUE(controls_.list_row_checked(control::record_list(1), 1));
    const Text log = controls_.edit_text(control::run_log());
    EXPECT_EQ(occurrences(log, gbk("连不上服务商，等网络恢复后自动重新登入：")), 1u) << log;
    EXPECT_EQ(occurrences(log, gbk("已连上服务商，自动登入成功")), 1u) << log;
    ASSERT_EQ(tray.heard.size(), 2u);
    EXPECT_FALSE(tray.heard.front().empty());
    EXPECT_TRUE(tray.heard.back().empty());
    session.close_down();
}

// The user's own 登入 during the wait takes over: the waiting login tries no more (else
// this start would never return), and the window is not brought back as after a failure.
TEST_F(DesktopSessionTest, TheUsersLoginEndsTheWaitOfTheLoginAtStart) {
    store_credential(testing::kThreeDomainToken);
    store(gbk("运行选项"), gbk("启动时登入"), gbk("真"));
    endpoints_.api_host = "127.0.0.1:1";  // refuses
    DesktopSession session(shell_, controls_, endpoints_, settings_);
    WaitingTray tray;
    tray.on_waiting = [&] {  // a click handled during the wait
        if (tray.heard.size() == 1) {
            session.login();
        }
    };
    session.core().set_update_observer(&tray);
    session.start(DesktopSession::Start::shown);
    EXPECT_EQ(tray.heard.size(), 2u);                 // it waited, then no more
    EXPECT_EQ(controls_.message_boxes().size(), 1u);  // the user's own login's box
    EXPECT_EQ(std::count(shell_.moves.begin(), shell_.moves.end(), "bring_back"), 0);
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
