// The login button's flow against the substitute provider, with in-memory
// controls.
#include "app/session/login_flow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "api/tests/support/sandbox_fixture.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/system/atomic_file.h"
#include "base/ini_file.h"
#include "http/tests/support/loopback_socket.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class LoginFlowTest : public testing::SandboxTest {
  protected:
    void SetUp() override {
        SandboxTest::SetUp();
        reset_shutdown();
        directory_ = fs::temp_directory_path() / ("velmora-login-" + std::to_string(::getpid()));
        fs::create_directories(directory_);
        settings_path_ = (directory_ / "velmora.ini").string();
        // Only the login's own waits and requests are looked at; the loop would add
        // its refresh requests behind them.
        endpoints_.update_period = std::chrono::hours(1);
    }

    void TearDown() override {
        loop_.stop();
        reset_shutdown();
        fs::remove_all(directory_);
        SandboxTest::TearDown();
    }

    void login() {
        run_login(context(), {.settings_path = settings_path_, .update_loop = loop_, .log = log_});
    }

    std::vector<Text> box_messages() const {
        std::vector<Text> messages;
        for (const auto& box : controls_.message_boxes()) {
            messages.push_back(box.message);
        }
        return messages;
    }

    int rows(int page) { return controls_.list_row_count(control::record_list(page)); }
    Text caption(int page) { return controls_.tab_caption(control::record_tabs(), page); }

    fs::path directory_;
    Text settings_path_;
    PageWatchList watch_;
    RunLog log_{controls_, endpoints_};
    UpdateLoop loop_{controls_, endpoints_, watch_, log_};
};

TEST_F(LoginFlowTest, MissingIdOrTokenAsksForBothAndDoesNothingElse) {
    for (auto [id, token] : {std::pair<Text, Text>{"", "token"}, {"100001", ""}}) {
        enter_credential(id, token);
        login();
    }
    EXPECT_EQ(box_messages(),
              (std::vector<Text>{gbk("请输入Id，Token后再试"), gbk("请输入Id，Token后再试")}));
    EXPECT_FALSE(fs::exists(settings_path_));
    EXPECT_TRUE(sandbox_.api_requests().empty());
    EXPECT_EQ(count("httpdns"), 0u);
    EXPECT_EQ(controls_.window_title(), "Velmora");
}

TEST_F(LoginFlowTest, WrongCredentialsStillSaveTheSettingsButLoadNoPage) {
    enter_credential("100001", "wrong token");
    login();

    EXPECT_EQ(read_ini_item(settings_path_, gbk("登入数据"), "ID"), "100001");
    EXPECT_EQ(read_ini_item(settings_path_, gbk("登入数据"), "Token"), "wrong token");
    EXPECT_EQ(read_ini_item(settings_path_, gbk("选择框"), gbk("状态")), gbk("真"));
    // The domain lookup answers the refusal with no names, so no page has a caption to
    // load: the lookup's refusal is the one box.
    EXPECT_EQ(box_messages(), std::vector<Text>{gbk("登入失败")});
    for (int page = 1; page <= 6; ++page) {
        EXPECT_EQ(caption(page), "");
        EXPECT_EQ(rows(page), 0);
    }
    EXPECT_EQ(count("Record.List"), 0u);
    EXPECT_TRUE(loop_.start()) << "a refused login must not start the loop";
}

TEST_F(LoginFlowTest, AFirstLoginWithoutAnswerSaysWhyOnce) {
    endpoints_.api_host = "127.0.0.1:" + std::to_string(testing::refused_port());
    login();
    EXPECT_EQ(box_messages(), std::vector<Text>{gbk("登入未完成：711 发送请求失败!")});
    EXPECT_EQ(caption(1), "");
}

TEST_F(LoginFlowTest, ALaterLoginWithoutAnswerSaysWhyOnce) {
    login();
    controls_.set_message_box_handler({});
    const Text sandbox_host = endpoints_.api_host;
    endpoints_.api_host = "127.0.0.1:" + std::to_string(testing::refused_port());
    login();  // page 1 keeps its caption and is loaded again: its load tells
    EXPECT_EQ(box_messages(),
              (std::vector<Text>{gbk("登入成功"), gbk("登入未完成：711 发送请求失败!")}));
    endpoints_.api_host = sandbox_host;
}

// Closing the window while the login waits for its first answer: the controls read empty
// from then on, and saving them would overwrite the stored ID and token.
TEST_F(LoginFlowTest, ClosingDuringTheFirstRequestLeavesTheSettingsFileAsItWas) {
    ASSERT_TRUE(write_ini_item(settings_path_, gbk("登入数据"), "ID", "stored-id"));
    ASSERT_TRUE(write_ini_item(settings_path_, gbk("登入数据"), "Token", "stored-token"));
    const auto before = read_whole_file(settings_path_);
    std::atomic<bool> asked{false};
    testing::LoopbackAcceptor silent([&](int) {
        asked = true;
        while (!silent.stopping()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    endpoints_.httpdns_address = "127.0.0.1:" + std::to_string(silent.port());

    std::thread window_thread([this] { login(); });
    while (!asked) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    request_shutdown();
    enter_credential("", "");  // as the closed window's controls answer
    window_thread.join();

    EXPECT_EQ(read_whole_file(settings_path_), before);
    EXPECT_TRUE(sandbox_.api_requests().empty());
}

TEST_F(LoginFlowTest, RefusedPageOneShowsTheRefusalAndStartsNoLoop) {
    sandbox_.set_forced_reply({testing::kThreeDomainId, "Record.List", "-1", false});
    login();

    EXPECT_EQ(box_messages(), std::vector<Text>{gbk("登入失败")});
    EXPECT_EQ(caption(1), "velmora-demo.example");
    EXPECT_EQ(rows(1), 0);
    EXPECT_TRUE(loop_.start()) << "a refused login must not start the loop";
}

TEST_F(LoginFlowTest, LoginNamesAndLoadsEveryDomainPageAndStartsTheLoopOnce) {
    sandbox_.set_public_address("203.0.113.7");
    login();

    EXPECT_EQ(controls_.window_title(), gbk("Velmora|本机外网IP：") + "203.0.113.7");
    EXPECT_EQ(box_messages(), std::vector<Text>{gbk("登入成功")});
    EXPECT_EQ(caption(1), "velmora-demo.example");
    EXPECT_EQ(caption(2), "xn--fsq092h.example");
    EXPECT_EQ(caption(3), "home-lab.example");
    EXPECT_EQ(caption(4), "");
    EXPECT_EQ(rows(1), 23);  // the domain row, the first 20 A records and 2 AAAA records
    EXPECT_EQ(rows(2), 21);
    EXPECT_GT(rows(3), 1);
    EXPECT_EQ(rows(4), 0);
    EXPECT_EQ(controls_.list_cell_text(control::record_list(1), 0, 0), "1001");
    EXPECT_TRUE(controls_.control_enabled(control::login_button()));
    EXPECT_FALSE(loop_.start()) << "the successful page-1 load starts the loop";
}

TEST_F(LoginFlowTest, SecondLoginEmptiesTheListsAndLoadsThemAgain) {
    login();
    const int first_rows = rows(1);
    controls_.set_list_row_checked(control::record_list(1), 3, true);
    watch_.set_flag(1, 3, 1);

    login();

    EXPECT_EQ(rows(1), first_rows);
    EXPECT_FALSE(controls_.list_row_checked(control::record_list(1), 3));
    EXPECT_EQ(watch_.flag(1, 3), 1) << "the watch tables outlive a login";
    EXPECT_FALSE(loop_.start());
}

TEST_F(LoginFlowTest, EightDomainsNameAllSixPages) {
    enter_credential(testing::kEightDomainId, testing::kEightDomainToken);
    login();
    for (int page = 1; page <= 6; ++page) {
        EXPECT_EQ(caption(page), "site" + std::to_string(page) + ".example");
        EXPECT_GT(rows(page), 0);
    }
}

TEST_F(LoginFlowTest, UnwritableSettingsDirectoryDoesNotStopTheLogin) {
    settings_path_ = (directory_ / "missing" / "velmora.ini").string();
    login();
    EXPECT_EQ(box_messages(), std::vector<Text>{gbk("登入成功")});
    EXPECT_EQ(rows(1), 23);
}

TEST_F(LoginFlowTest, ReadOnlySettingsFileIsLeftAsItWasAndTheLoginGoesOn) {
    // Read-only for everyone, root included: the owner's write bit is off.
    ASSERT_TRUE(write_ini_item(settings_path_, "s", "k", "kept"));
    fs::permissions(settings_path_, fs::perms::owner_read);
    const Text before = read_ini_item(settings_path_, "s", "k");
    login();
    EXPECT_EQ(box_messages(), std::vector<Text>{gbk("登入成功")});
    EXPECT_EQ(rows(1), 23);
    EXPECT_EQ(read_ini_item(settings_path_, "s", "k"), before);
    EXPECT_EQ(read_ini_item(settings_path_, gbk("登入数据"), "ID"), "");
    EXPECT_EQ(fs::status(settings_path_).permissions(), fs::perms::owner_read);
}

}  // namespace
}  // namespace velmora
