#include "base/system/autostart.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "base/system/atomic_file.h"
#include "base/system/run_directory.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class AutostartTest : public ::testing::Test {
  protected:
    void SetUp() override {
        directory_ =
            fs::temp_directory_path() / ("velmora-autostart-" + std::to_string(::getpid()));
        fs::remove_all(directory_);
        fs::create_directories(directory_);
        old_config_ = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
        old_home_ = getenv("HOME") ? getenv("HOME") : "";
        setenv("XDG_CONFIG_HOME", (directory_ / "config").c_str(), 1);
    }
    void TearDown() override {
        setenv("XDG_CONFIG_HOME", old_config_.c_str(), 1);
        setenv("HOME", old_home_.c_str(), 1);
        fs::remove_all(directory_);
    }

    fs::path directory_;
    std::string old_config_, old_home_;
};

TEST_F(AutostartTest, TheDesktopEntryIsTheSwitch) {
    const fs::path entry = directory_ / "config" / "autostart" / "velmora.desktop";
    EXPECT_FALSE(starts_at_logon());
    ASSERT_TRUE(set_starts_at_logon(true));
    EXPECT_TRUE(starts_at_logon());
    const std::string text = read_whole_file(entry.string()).value_or("");
    EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=" + executable_path() + " --minimized\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);

    // Off removes our entry only; another program's stays.
    const fs::path other = entry.parent_path() / "other.desktop";
    ASSERT_TRUE(replace_file_atomically(other.string(), "[Desktop Entry]\n"));
    ASSERT_TRUE(set_starts_at_logon(false));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_FALSE(starts_at_logon());
    EXPECT_TRUE(set_starts_at_logon(false));  // already off

    // The tick follows an entry made or removed by hand.
    ASSERT_TRUE(replace_file_atomically(entry.string(), "[Desktop Entry]\n"));
    EXPECT_TRUE(starts_at_logon());
}

TEST_F(AutostartTest, WithoutXdgConfigHomeTheEntryGoesBelowHome) {
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", directory_.c_str(), 1);
    ASSERT_TRUE(set_starts_at_logon(true));
    EXPECT_TRUE(fs::exists(directory_ / ".config" / "autostart" / "velmora.desktop"));
}

TEST_F(AutostartTest, AFolderThatCannotBeMadeIsAFailure) {
    ASSERT_TRUE(replace_file_atomically((directory_ / "config").string(), "a file"));
    EXPECT_FALSE(set_starts_at_logon(true));
    EXPECT_FALSE(starts_at_logon());
}

}  // namespace
}  // namespace velmora
