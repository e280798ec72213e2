// 保护令牌 against a Secret Service of the test's own (a keyring daemon on a session bus
// the test starts): the token moves out of velmora.ini and back, a login keeps the typed
// token in the store only, a restart logs in with the store's token, and a running loop
// takes a token changed in the store.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "api/tests/support/sandbox_fixture.h"
#include "app/session/option_items.h"
#include "app/session/session_core.h"
#include "app/session/settings_follower.h"
#include "app/settings/settings_file.h"
#include "app/settings/token_protection.h"
#include "app/tests/hosted/private_keyring.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/system/atomic_file.h"
#include "base/system/token_store.h"
#include "update/run_log.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class TokenProtection : public testing::SandboxTest {
  protected:
    // One bus for the whole process: the library keeps its first connection.
    static void SetUpTestSuite() {
        keyring_folder_ =
            (fs::temp_directory_path() / ("velmora-keyring-" + std::to_string(::getpid())))
                .string();
        keyring_ = new testing::PrivateKeyring(keyring_folder_);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", keyring_->bus_address().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete keyring_;
        fs::remove_all(keyring_folder_);
    }

    void SetUp() override {
        ASSERT_TRUE(keyring_->started()) << "dbus-daemon and gnome-keyring-daemon are needed";
        SandboxTest::SetUp();
        reset_shutdown();
        directory_ = fs::temp_directory_path() / ("velmora-token-" + std::to_string(::getpid()));
        fs::create_directories(directory_);
        path_ = (directory_ / "velmora.ini").string();
        settings_ = {directory_.string(), path_, true, {}};
        ASSERT_TRUE(write_ini_item(path_, gbk("登入数据"), "ID", testing::kThreeDomainId));
        ASSERT_TRUE(write_ini_item(path_, gbk("登入数据"), "Token", testing::kThreeDomainToken));
    }
    void TearDown() override {
        request_shutdown();
        reset_shutdown();
        platform_token_store(path_)->forget(testing::kThreeDomainId);
        platform_token_store(path_)->forget(testing::kEightDomainId);
        fs::remove_all(directory_);
        SandboxTest::TearDown();
    }

    std::optional<Text> kept(const Text& id) const {
        return platform_token_store(path_)->find(id).token;
    }
    std::string file() const { return read_whole_file(path_).value_or(""); }
    Text file_token() const { return read_ini_item(path_, gbk("登入数据"), "Token"); }
    bool option_on() const {
        return read_ini_item(path_, gbk("运行选项"), gbk("保护令牌")) == gbk("真");
    }
    static bool logged(MemoryControls& controls, const Text& line) {
        return controls.edit_text(control::run_log()).find(line) != Text::npos;
    }

    static inline testing::PrivateKeyring* keyring_ = nullptr;
    static inline std::string keyring_folder_;
    fs::path directory_;
    std::string path_;
    SettingsLocation settings_;
};

TEST_F(TokenProtection, OnMovesTheTokenIntoTheStoreARestartLogsInAndOffPutsItBack) {
    {
        MemoryControls controls;
        SessionCore core(controls, endpoints_, settings_);
        core.window_created();
        ASSERT_TRUE(core.set_option(RunOption::protect_token, true))
            << controls.edit_text(control::run_log());
        EXPECT_TRUE(core.option(RunOption::protect_token));
        EXPECT_TRUE(logged(controls, gbk("已打开保护令牌")));
        ASSERT_TRUE(core.set_option(RunOption::log_in_at_start, true));
    }
    reset_shutdown();  // the first run has ended
    EXPECT_TRUE(option_on());
    EXPECT_EQ(kept(testing::kThreeDomainId), testing::kThreeDomainToken);
    // The key stays, empty, so the sections and keys keep their shape.
    EXPECT_NE(file().find("Token=\r\n"), std::string::npos) << file();
    EXPECT_EQ(file().find(testing::kThreeDomainToken), std::string::npos);

    MemoryControls controls;
    SessionCore core(controls, endpoints_, settings_);
    core.window_created();
    EXPECT_EQ(controls.edit_text(control::token_edit()), testing::kThreeDomainToken);
    ASSERT_EQ(core.resume(), SessionCore::Resume::logged_in);
    EXPECT_EQ(bodies("Domain.List").back(),
              "login_token=100001," + Text(testing::kThreeDomainToken) + "&format=json");
    EXPECT_EQ(file().find(testing::kThreeDomainToken), std::string::npos);

    ASSERT_TRUE(core.set_option(RunOption::protect_token, false));
    EXPECT_FALSE(option_on());
    EXPECT_EQ(file_token(), testing::kThreeDomainToken);
    EXPECT_EQ(kept(testing::kThreeDomainId), std::nullopt);
}

TEST_F(TokenProtection, ALoginKeepsTheTypedTokenInTheStoreOnly) {
    ASSERT_EQ(protect_token(path_, testing::kThreeDomainId, testing::kThreeDomainToken), "");
    MemoryControls controls;
    SessionCore core(controls, endpoints_, settings_);
    core.window_created();
    controls.set_edit_text(control::id_edit(), testing::kEightDomainId);
    controls.set_edit_text(control::token_edit(), testing::kEightDomainToken);
    core.login();
    EXPECT_EQ(read_ini_item(path_, gbk("登入数据"), "ID"), testing::kEightDomainId);
    EXPECT_EQ(file_token(), "");
    EXPECT_EQ(kept(testing::kEightDomainId), testing::kEightDomainToken);
    EXPECT_EQ(file().find(testing::kEightDomainToken), std::string::npos);
    EXPECT_EQ(stored_credential(path_).token, testing::kEightDomainToken);
}

// The window's login changes the store, not a byte of the file: the loop's next pass
// must still take the new token.
TEST_F(TokenProtection, ARunningLoopTakesATokenChangedInTheStore) {
    ASSERT_EQ(protect_token(path_, testing::kThreeDomainId, testing::kThreeDomainToken), "");
    MemoryControls controls;
    load_settings(controls, path_);
    RunLog log(controls, endpoints_);
    SettingsFollower follower(controls, path_, log);
    follower.follow();
    EXPECT_EQ(controls.edit_text(control::token_edit()), testing::kThreeDomainToken);

    ASSERT_EQ(platform_token_store(path_)->keep(testing::kThreeDomainId, "renewed-token"), "");
    follower.follow();
    EXPECT_EQ(controls.edit_text(control::token_edit()), "renewed-token");
    EXPECT_TRUE(logged(controls, gbk("设置文件中的ID和Token有变化")));
}

TEST_F(TokenProtection, TurningOnWithoutATokenIsRefusedAndChangesNothing) {
    const std::string before = file();
    MemoryControls controls;
    SessionCore core(controls, endpoints_, settings_);
    core.window_created();
    controls.set_edit_text(control::token_edit(), "");
    EXPECT_FALSE(core.set_option(RunOption::protect_token, true));
    EXPECT_TRUE(logged(controls, gbk("没有打开保护令牌：请先输入ID和Token")));
    // The menus' item says why, until the option is turned.
    const auto item_shown = [&core] {
        for (const OptionItem& item : option_items(core)) {
            if (item.caption == gbk("保护令牌")) {
                return shown_caption(item);
            }
        }
        return Text();
    };
    EXPECT_EQ(item_shown(), gbk("保护令牌（没有打开保护令牌：请先输入ID和Token）"));
    EXPECT_EQ(file(), before);
    EXPECT_EQ(kept(testing::kThreeDomainId), std::nullopt);

    // Turning off what is not on moves nothing either.
    EXPECT_TRUE(core.set_option(RunOption::protect_token, false));
    EXPECT_EQ(file(), before);

    controls.set_edit_text(control::token_edit(), testing::kThreeDomainToken);
    EXPECT_TRUE(core.set_option(RunOption::protect_token, true));
    EXPECT_EQ(item_shown(), gbk("保护令牌"));
}

// An older copy, or a file whose store lost the token: the box stays empty, as at a
// first start, and the file is left as it is.
TEST_F(TokenProtection, AnOptionOnWithNothingInTheStoreAsksForTheToken) {
    ASSERT_EQ(protect_token(path_, testing::kThreeDomainId, testing::kThreeDomainToken), "");
    platform_token_store(path_)->forget(testing::kThreeDomainId);
    const std::string before = file();
    for (const bool shown : {false, true}) {
        SCOPED_TRACE(shown ? "started by the user" : "started at logon");
        reset_shutdown();  // the run before has ended
        MemoryControls controls;
        SessionCore core(controls, endpoints_, settings_);
        core.window_created(shown);
        EXPECT_EQ(controls.edit_text(control::token_edit()), "");
        EXPECT_TRUE(logged(controls, gbk("保护令牌已打开，但无法取出这个ID的Token")));
        EXPECT_EQ(controls.message_boxes().size(), shown ? 1u : 0u);
        EXPECT_EQ(core.resume(), SessionCore::Resume::not_asked);
        EXPECT_EQ(file(), before);
    }
}

}  // namespace
}  // namespace velmora
