#include "base/system/settings_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "base/system/atomic_file.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one test and puts the old value back after it.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        set(value);
    }
    ~ScopedVariable() { set(old_); }

  private:
    void set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

    const char* name_;
    std::optional<std::string> old_;
};

class SettingsLocationTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/velmora-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        old_dir_ = root_ + "/program";
        fs::create_directory(old_dir_);
    }
    void TearDown() override {
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root_);
    }

    static void write_file(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string file_text(const std::string& path) {
        return read_whole_file(path).value_or("<unreadable>");
    }
    static unsigned mode_of(const std::string& path) {
        struct stat status {};
        return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
    }

    std::string root_;
    std::string old_dir_;  // where an older install kept velmora.ini, beside the program
};

TEST_F(SettingsLocationTest, XdgConfigHomeHoldsAFolderOnlyTheUserMayEnter) {
    const std::string config = root_ + "/a/b/config";
    ScopedVariable xdg("XDG_CONFIG_HOME", config + "/");
    // Even a umask that would strip the owner's write bit leaves a usable, private folder.
    const mode_t old_umask = ::umask(0277);
    const SettingsLocation location = settings_location(old_dir_);
    ::umask(old_umask);

    EXPECT_EQ(location.directory, config + "/velmora");
    EXPECT_EQ(location.settings_file, config + "/velmora/velmora.ini");
    EXPECT_TRUE(location.kept);
    EXPECT_EQ(mode_of(config + "/velmora"), 0700u);
    EXPECT_EQ(mode_of(config), 0700u) << "missing parents are made private too";
    EXPECT_FALSE(fs::exists(location.settings_file)) << "nothing to carry over, nothing made";

    // A folder the user already has keeps the mode they gave it.
    fs::permissions(config + "/velmora",
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    EXPECT_TRUE(settings_location(old_dir_).kept);
    EXPECT_EQ(mode_of(config + "/velmora"), 0750u);
}

TEST_F(SettingsLocationTest, WithoutAnAbsoluteXdgConfigHomeTheFolderIsInHomesDotConfig) {
    const std::string home = root_ + "/home";
    fs::create_directory(home);
    ScopedVariable home_variable("HOME", home);
    const std::string expected = home + "/.config/velmora";
    {
        ScopedVariable xdg("XDG_CONFIG_HOME", std::nullopt);
        const SettingsLocation location = settings_location(old_dir_);
        EXPECT_EQ(location.directory, expected);
        EXPECT_EQ(location.settings_file, expected + "/velmora.ini");
        EXPECT_TRUE(location.kept);
        EXPECT_TRUE(fs::is_directory(expected));
    }
    for (const char* ignored : {"", "relative/config"}) {
        ScopedVariable xdg("XDG_CONFIG_HOME", std::string(ignored));
        EXPECT_EQ(settings_location(old_dir_).directory, expected) << '"' << ignored << '"';
    }
    EXPECT_FALSE(fs::exists("relative")) << "a relative folder would depend on where we run";
}

TEST_F(SettingsLocationTest, AFileBesideTheProgramIsCopiedOnceAndLeftInPlace) {
    ScopedVariable xdg("XDG_CONFIG_HOME", root_ + "/config");
    const std::string old_file = old_dir_ + "/velmora.ini";
    // GBK section names and CR LF line ends: the bytes must come over unchanged.
    const std::string original = "[\xB5\xC7\xC8\xEB\xCA\xFD\xBE\xDD]\r\nID=100001\r\nToken=abc\r\n";
    write_file(old_file, original);
    ::chmod(old_file.c_str(), 0644);

    const SettingsLocation location = settings_location(old_dir_);
    ASSERT_TRUE(location.kept);
    EXPECT_EQ(file_text(location.settings_file), original);
    EXPECT_EQ(mode_of(location.settings_file), 0600u) << "the copy holds the token";
    EXPECT_EQ(file_text(old_file), original);
    EXPECT_EQ(mode_of(old_file), 0644u);

    // Later starts use the copy: neither a changed original nor the copy's own edits
    // are overwritten, and the original stays.
    write_file(old_file, "[x]\r\nID=2\r\n");
    write_file(location.settings_file, original + "[y]\r\n");
    settings_location(old_dir_);
    EXPECT_EQ(file_text(location.settings_file), original + "[y]\r\n");
    EXPECT_EQ(file_text(old_file), "[x]\r\nID=2\r\n");

    // Nor is a file that the user made before the first start of this version.
    const std::string other_config = root_ + "/other";
    fs::create_directories(other_config + "/velmora");
    write_file(other_config + "/velmora/velmora.ini", "mine");
    ScopedVariable other("XDG_CONFIG_HOME", other_config);
    settings_location(old_dir_);
    EXPECT_EQ(file_text(other_config + "/velmora/velmora.ini"), "mine");
}

TEST_F(SettingsLocationTest, OnlyAPlainFileIsCarriedOver) {
    ScopedVariable xdg("XDG_CONFIG_HOME", root_ + "/config");
    const std::string odd_dir = root_ + "/odd";
    fs::create_directories(odd_dir + "/velmora.ini");
    EXPECT_FALSE(fs::exists(settings_location(odd_dir).settings_file));
    // A pipe would block the start until someone writes to it.
    ASSERT_EQ(::mkfifo((old_dir_ + "/velmora.ini").c_str(), 0600), 0);
    EXPECT_FALSE(fs::exists(settings_location(old_dir_).settings_file));
}

TEST_F(SettingsLocationTest, AFolderThatCannotBeMadeIsReportedAndNothingIsWritten) {
    const std::string old_file = old_dir_ + "/velmora.ini";
    write_file(old_file, "[x]\r\n");
    // A file where a folder must be: refused even for root, who passes permission checks.
    const std::string not_a_folder = root_ + "/config-file";
    write_file(not_a_folder, "");
    for (const std::string& config : {not_a_folder, not_a_folder + "/deeper"}) {
        ScopedVariable xdg("XDG_CONFIG_HOME", config);
        const SettingsLocation location = settings_location(old_dir_);
        EXPECT_FALSE(location.kept) << config;
        EXPECT_EQ(location.settings_file, config + "/velmora/velmora.ini");
    }
    {
        const std::string config = root_ + "/config";
        fs::create_directory(config);
        write_file(config + "/velmora", "");
        ScopedVariable xdg("XDG_CONFIG_HOME", config);
        EXPECT_FALSE(settings_location(old_dir_).kept);
        EXPECT_EQ(file_text(config + "/velmora"), "");
    }
    if (::geteuid() != 0) {
        const std::string locked = root_ + "/locked";
        fs::create_directory(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        ScopedVariable xdg("XDG_CONFIG_HOME", locked);
        EXPECT_FALSE(settings_location(old_dir_).kept);
        fs::permissions(locked, fs::perms::owner_all);
    }
    EXPECT_EQ(file_text(old_file), "[x]\r\n");
}

}  // namespace
}  // namespace velmora
