#include "app/settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/controls/control_names.h"
#include "base/gbk.h"
#include "base/controls/memory_controls.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / ("velmora-settings-" + std::to_string(::getpid()));
        fs::create_directories(directory_);
        path_ = (directory_ / "velmora.ini").string();
    }
    void TearDown() override {
        fs::permissions(directory_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(directory_);
    }
    std::string file_bytes() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    fs::path directory_;
    Text path_;
    MemoryControls controls_;
};

TEST_F(SettingsFileTest, SaveWritesTheThreeKeysInGbkAndLoadReadsThemBack) {
    const Text token = gbk("令牌 with spaces");
    controls_.set_edit_text(control::id_edit(), "100001");
    controls_.set_edit_text(control::token_edit(), token);
    save_settings(controls_, path_);

    const std::string bytes = file_bytes();
    EXPECT_NE(bytes.find(gbk("[选择框]")), std::string::npos);
    EXPECT_NE(bytes.find(gbk("状态=真")), std::string::npos);
    EXPECT_NE(bytes.find(gbk("[登入数据]")), std::string::npos);
    EXPECT_NE(bytes.find("ID=100001"), std::string::npos);
    EXPECT_LT(bytes.find(gbk("[选择框]")), bytes.find(gbk("[登入数据]")));

    MemoryControls fresh;
    load_settings(fresh, path_);
    EXPECT_EQ(fresh.edit_text(control::id_edit()), "100001");
    EXPECT_EQ(fresh.edit_text(control::token_edit()), token);
    EXPECT_TRUE(fresh.check_box_checked(control::remember_box()));
}

TEST_F(SettingsFileTest, MissingFileGivesEmptyFieldsAndAnUntickedBox) {
    controls_.set_edit_text(control::id_edit(), "stale");
    controls_.set_check_box_checked(control::remember_box(), true);
    load_settings(controls_, path_);
    EXPECT_EQ(controls_.edit_text(control::id_edit()), "");
    EXPECT_EQ(controls_.edit_text(control::token_edit()), "");
    EXPECT_FALSE(controls_.check_box_checked(control::remember_box()));
}

TEST_F(SettingsFileTest, UnwritableDirectoryIsIgnoredAndTheOldFileSurvives) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes through directory permissions";
    }
    controls_.set_edit_text(control::id_edit(), "old");
    controls_.set_edit_text(control::token_edit(), "old-token");
    save_settings(controls_, path_);
    const std::string before = file_bytes();
    fs::permissions(directory_, fs::perms::owner_read | fs::perms::owner_exec);

    controls_.set_edit_text(control::id_edit(), "new");
    save_settings(controls_, path_);
    EXPECT_EQ(file_bytes(), before);
}

TEST_F(SettingsFileTest, SavingIntoAMissingDirectoryChangesNothing) {
    const Text path = (directory_ / "missing" / "velmora.ini").string();
    controls_.set_edit_text(control::id_edit(), "100001");
    save_settings(controls_, path);
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
}  // namespace velmora
