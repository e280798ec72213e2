#include "app/session/window_created.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "api/tests/support/sandbox_fixture.h"
#include "base/gbk.h"
#include "base/ini_file.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class WindowCreatedTest : public testing::SandboxTest {
  protected:
    void SetUp() override {
        SandboxTest::SetUp();
        enter_credential("", "");
        directory_ = fs::temp_directory_path() / ("velmora-created-" + std::to_string(::getpid()));
        fs::create_directories(directory_);
        settings_path_ = (directory_ / "velmora.ini").string();
    }
    void TearDown() override {
        fs::remove_all(directory_);
        SandboxTest::TearDown();
    }

    fs::path directory_;
    Text settings_path_;
};

TEST_F(WindowCreatedTest, FirstStartShowsTheAddressAndEmptyFields) {
    sandbox_.set_public_address("198.51.100.77");
    on_window_created(context(), settings_path_);

    EXPECT_EQ(controls_.window_title(), gbk("Velmora|本机外网IP：") + "198.51.100.77");
    EXPECT_EQ(controls_.edit_text(control::id_edit()), "");
    EXPECT_EQ(controls_.edit_text(control::token_edit()), "");
    EXPECT_FALSE(controls_.check_box_checked(control::remember_box()));
    EXPECT_FALSE(fs::exists(settings_path_));
}

TEST_F(WindowCreatedTest, APublicIpv6AddressStandsBesideTheIpv4One) {
    sandbox_.set_public_address("198.51.100.10");
    sandbox_.set_public_address6("2001:0db8::10");
    on_window_created(context(), settings_path_);
    EXPECT_EQ(controls_.window_title(), gbk("Velmora|本机外网IP：") + "198.51.100.10|2001:db8::10");
}

TEST_F(WindowCreatedTest, NoAddressLeavesThePrefixAlone) {
    sandbox_.set_dns_reply("");
    on_window_created(context(), settings_path_);
    EXPECT_EQ(controls_.window_title(), gbk("Velmora|本机外网IP："));
}

TEST_F(WindowCreatedTest, RememberedCredentialAndOnlyTrueTicksTheBox) {
    const Text token = gbk("带 空格的令牌");
    ASSERT_TRUE(write_ini_item(settings_path_, gbk("登入数据"), "ID", "100001"));
    ASSERT_TRUE(write_ini_item(settings_path_, gbk("登入数据"), "Token", token));
    for (const Text& state : {Text("1"), Text("true"), Text(), gbk("真")}) {
        ASSERT_TRUE(write_ini_item(settings_path_, gbk("选择框"), gbk("状态"), state));
        controls_.set_check_box_checked(control::remember_box(), false);
        on_window_created(context(), settings_path_);
        EXPECT_EQ(controls_.check_box_checked(control::remember_box()), state == gbk("真"))
            << state;
    }
    EXPECT_EQ(controls_.edit_text(control::id_edit()), "100001");
    EXPECT_EQ(controls_.edit_text(control::token_edit()), token);
}

}  // namespace
}  // namespace velmora
