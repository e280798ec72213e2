#include "base/ini_file.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "base/gbk.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        directory_ = testing::TempDir() + "ini_test_" + std::to_string(random());
        ASSERT_TRUE(fs::create_directory(directory_));
        path_ = directory_ + "/velmora.ini";
    }
    void TearDown() override {
        fs::permissions(directory_, fs::perms::owner_all);
        fs::remove_all(directory_);
    }

    void put(const std::string& content) { std::ofstream(path_, std::ios::binary) << content; }
    std::string content() const {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    size_t files_in_directory() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(directory_), {}));
    }

    std::string directory_;
    std::string path_;
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(read_ini_item(path_, "s", "k"), "");
    EXPECT_EQ(read_ini_item(path_, "s", "k", "fallback"), "fallback");
    put("[s]\r\nk=v\r\n");
    EXPECT_EQ(read_ini_item(path_, "other", "k", "d"), "d");
    EXPECT_EQ(read_ini_item(path_, "s", "other", "d"), "d");
    EXPECT_EQ(read_ini_item(path_, "s", "other", "d  "), "d");  // trailing spaces dropped
}

TEST_F(IniFileTest, EmptyPathSectionOrKeyGivesEmptyTextNotTheDefault) {
    put("[s]\r\nk=v\r\n");
    EXPECT_EQ(read_ini_item(path_, "", "k", "d"), "");
    EXPECT_EQ(read_ini_item(path_, " \t", "k", "d"), "");
    EXPECT_EQ(read_ini_item(path_, "s", "\r\n", "d"), "");
    EXPECT_EQ(read_ini_item("  ", "s", "k", "d"), "");
    // Leading blanks are skipped before the look-up.
    EXPECT_EQ(read_ini_item(" \t" + path_, "  s", "\tk"), "v");
}

TEST_F(IniFileTest, GbkSectionsAndKeysRoundTripAndMatchIgnoringAsciiCase) {
    ASSERT_TRUE(write_ini_item(path_, gbk("登入数据"), "Token", gbk("带 空格 的令牌")));
    EXPECT_EQ(content(), gbk("[登入数据]\r\nToken=带 空格 的令牌\r\n"));
    EXPECT_EQ(read_ini_item(path_, gbk("登入数据"), "TOKEN"), gbk("带 空格 的令牌"));
    EXPECT_EQ(read_ini_item(path_, gbk("登入数据"), "token"), gbk("带 空格 的令牌"));

    // Writing under another spelling replaces the value and keeps the file's spelling.
    ASSERT_TRUE(write_ini_item(path_, gbk("登入数据"), "tOKEN", "new"));
    EXPECT_EQ(content(), gbk("[登入数据]\r\nToken=new\r\n"));
}

TEST_F(IniFileTest, TrailBytesThatLookLikeLettersOrBracketsAreNotFolded) {
    // 0x81 0x41 and 0x81 0x61 are two different characters; their trail bytes are 'A' and 'a'.
    ASSERT_TRUE(write_ini_item(path_, "\x81\x41", "k", "upper"));
    ASSERT_TRUE(write_ini_item(path_, "\x81\x61", "k", "lower"));
    EXPECT_EQ(read_ini_item(path_, "\x81\x41", "k"), "upper");
    EXPECT_EQ(read_ini_item(path_, "\x81\x61", "k"), "lower");
    // 0x81 0x5D ends in the byte of ']' but is a character of the name.
    ASSERT_TRUE(write_ini_item(path_, "x\x81\x5d", "k", "bracket"));
    EXPECT_EQ(read_ini_item(path_, "x\x81\x5d", "k"), "bracket");
    EXPECT_EQ(read_ini_item(path_, "x\x81", "k", "none"), "none");
}

TEST_F(IniFileTest, ReadsHandWrittenFilesTheClassicWay) {
    put("stray=before any section\n"
        "; a comment\n"
        "  [ Spaced ]  \n"
        "  key   =   padded value  \n"
        "quoted=\"  kept inside  \"\n"
        "single='x'\n"
        "half=\"open\n"
        "empty=\n"
        "no equals sign\n"
        "lone=cr\rafter=it\n"  // a lone CR ends a line too
        "key=second of the same name\n"
        "[spaced]\n"
        "key=second section of the same name\n");
    EXPECT_EQ(read_ini_item(path_, "Spaced", "key"), "padded value");
    EXPECT_EQ(read_ini_item(path_, "Spaced", "quoted"), "  kept inside  ");
    EXPECT_EQ(read_ini_item(path_, "Spaced", "single"), "x");
    EXPECT_EQ(read_ini_item(path_, "Spaced", "half"), "\"open");
    EXPECT_EQ(read_ini_item(path_, "Spaced", "empty", "d"), "");
    EXPECT_EQ(read_ini_item(path_, "Spaced", "no equals sign", "d"), "d");
    EXPECT_EQ(read_ini_item(path_, "Spaced", "stray", "d"), "d");
    EXPECT_EQ(read_ini_item(path_, "Spaced", "lone"), "cr");
    EXPECT_EQ(read_ini_item(path_, "Spaced", "after"), "it");
}

// The platform's private-profile reader, given the names as read_ini_item passes them on
// (leading blanks skipped). Linux has none: there it is read_ini_item itself.
Text platform_reader(const Text& path, Text section, Text key, const Text& fallback) {
#ifdef _WIN32
    for (Text* name : {&section, &key}) {
        name->erase(name->begin(), std::find_if(name->begin(), name->end(), [](char byte) {
                        return static_cast<unsigned char>(byte) > 0x20;
                    }));
    }
    std::vector<char> value(10240);
    const DWORD length =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), value.data(),
                                 static_cast<DWORD>(value.size()), path.c_str());
    return Text(value.data(), std::find(value.data(), value.data() + length, '\0') - value.data());
#else
    return read_ini_item(path, section, key, fallback);
#endif
}

// Both builds read velmora.ini with read_ini_item, our byte logic of the
// platform's rules: on a Chinese Windows it must agree with the platform's own reader on
// odd hand-written files and on what our writer writes. (That reader decodes the file in
// the ANSI code page, so elsewhere it is no yardstick; on Linux the case still runs the
// writer.)
TEST_F(IniFileTest, ThePortableReaderAgreesWithThePlatformsReader) {
#ifdef _WIN32
    if (GetACP() != 936) {
        GTEST_SKIP() << "the platform's reader reads GBK under code page 936 only";
    }
#endif
    const std::vector<std::string> pieces = {
        "[",      "]", "=", " ",    "\t", ";",  "\"",       "'",        "s",        "S",
        "k",      "K", "v", "\r\n", "\n", "\r", "\x81\x41", "\x81\x61", "\x81\x5d", gbk("登入数据"),
        gbk("值")};
    const std::vector<std::string> sections = {"s",        "S",         " s",           "\x81\x41",
                                               "\x81\x61", "s\x81\x5d", gbk("登入数据")};
    const std::vector<std::string> keys = {"k", "K", "k k", "\x81\x41", "v", gbk("值")};
    const std::vector<std::string> defaults = {"", "d", "d  "};
    std::mt19937 random(20261209);
    const auto pick = [&random](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
    };
    int compared = 0;
    for (int file = 0; file < 150; ++file) {
        std::string text;
        for (int piece = 0; piece < 60; ++piece) {
            text += pick(pieces);
        }
        put(text);
        for (int write = 0; write < file % 3; ++write) {
            write_ini_item(path_, pick(sections), pick(keys), pick(pieces) + pick(pieces));
        }
        for (const std::string& section : sections) {
            for (const std::string& key : keys) {
                const std::string fallback = pick(defaults);
                ASSERT_EQ(platform_reader(path_, section, key, fallback),
                          read_ini_item(path_, section, key, fallback))
                    << "file " << file << ": [" << section << "] " << key << "\n"
                    << content();
                ++compared;
            }
        }
    }
    EXPECT_EQ(compared, 150 * 7 * 6);
}

TEST_F(IniFileTest, ValuesAreReadWholeUpTo10239Bytes) {
    std::string longest(10239, 'v');
    ASSERT_TRUE(write_ini_item(path_, "s", "k", longest));
    EXPECT_EQ(read_ini_item(path_, "s", "k"), longest);
    ASSERT_TRUE(write_ini_item(path_, "s", "k", longest + "w"));
    EXPECT_EQ(read_ini_item(path_, "s", "k"), longest);

    // 5120 double-byte characters: the cut must not leave half of one behind.
    std::string wide;
    for (int i = 0; i < 5120; ++i) {
        wide += gbk("中");
    }
    ASSERT_TRUE(write_ini_item(path_, "s", "k", wide));
    EXPECT_EQ(read_ini_item(path_, "s", "k"), wide.substr(0, 10238));
}

TEST_F(IniFileTest, WritingKeepsOtherLinesInTheirPlace) {
    put(";top comment\r\n"
        "[A]\r\n"
        "x=1\r\n"
        "; inside A\r\n"
        "\r\n"
        "[B]\n"
        "y=2");  // LF line and no line end at all: kept as they are
    ASSERT_TRUE(write_ini_item(path_, "a", "x", "3"));
    ASSERT_TRUE(write_ini_item(path_, "A", "z", "4"));
    ASSERT_TRUE(write_ini_item(path_, "B", "y2", "5"));
    ASSERT_TRUE(write_ini_item(path_, "C", "w", "6"));
    EXPECT_EQ(content(),
              ";top comment\r\n"
              "[A]\r\n"
              "x=3\r\n"
              "; inside A\r\n"
              "z=4\r\n"
              "\r\n"
              "[B]\n"
              "y=2\r\n"
              "y2=5\r\n"
              "\r\n"
              "[C]\r\n"
              "w=6\r\n");
}

TEST_F(IniFileTest, ValuesThatWouldChangeTheStructureAreRefused) {
    ASSERT_TRUE(write_ini_item(path_, "s", "k", "v"));
    const std::string before = content();
    EXPECT_FALSE(write_ini_item(path_, "s", "k", "v\r\n[s]\r\nk=evil"));
    EXPECT_FALSE(write_ini_item(path_, "s", "a=b", "v"));
    EXPECT_FALSE(write_ini_item(path_, "s]x", "k", "v"));
    EXPECT_FALSE(write_ini_item(path_, "s", " ", "v"));
    EXPECT_FALSE(write_ini_item(path_, "", "k", "v"));
    EXPECT_EQ(content(), before);
}

TEST_F(IniFileTest, AFileInAMissingDirectoryCannotBeWritten) {
    EXPECT_FALSE(write_ini_item(directory_ + "/no/such/dir/velmora.ini", "s", "k", "v"));
}

#ifdef _WIN32
TEST_F(IniFileTest, AReadOnlyFileIsLeftUntouched) {
    put("[s]\r\nk=old\r\n");
    const std::string before = content();
    fs::permissions(path_,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(write_ini_item(path_, "s", "k", "new"));
    EXPECT_FALSE(write_ini_item(path_, "t", "k", "new"));
    EXPECT_EQ(content(), before);
    EXPECT_EQ(files_in_directory(), 1u);
    fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add);
}
#else
TEST_F(IniFileTest, ANewFileIsPrivateAndAnExistingFileKeepsItsMode) {
    ASSERT_TRUE(write_ini_item(path_, "s", "k", "v"));
    EXPECT_EQ(fs::status(path_).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                               fs::perms::others_read);
    ASSERT_TRUE(write_ini_item(path_, "s", "k", "w"));
    EXPECT_EQ(fs::status(path_).permissions(), fs::perms::owner_read | fs::perms::owner_write |
                                                   fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(files_in_directory(), 1u);  // no temporary file left behind
}

// A settings file written by hand in a modern editor: read as it means, and written back
// as GBK at the next write, the rest of it kept.
TEST_F(IniFileTest, AUtf8FileWithOrWithoutAByteOrderMarkIsReadAndStoredAsGbk) {
    const std::string utf8 = "[登入数据]\nID=100001\nToken=abc\n[监控记录]\n1001=5001\n; 备注\n";
    for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
        SCOPED_TRACE(mark.empty() ? "without a mark" : "with a mark");
        put(mark + utf8);
        EXPECT_TRUE(ini_file_in_utf8(path_));
        EXPECT_EQ(read_ini_item(path_, gbk("登入数据"), "ID"), "100001");
        EXPECT_EQ(read_ini_item(path_, gbk("监控记录"), "1001"), "5001");
        ASSERT_TRUE(write_ini_item(path_, gbk("选择框"), gbk("状态"), gbk("真")));
        EXPECT_FALSE(ini_file_in_utf8(path_));
        EXPECT_EQ(content(), gbk("[登入数据]\nID=100001\nToken=abc\n[监控记录]\n1001=5001\n; 备注\n"
                                 "\r\n[选择框]\r\n状态=真\r\n"));
    }
    // Only a mark: the UTF-8 is read even where a character has no GBK form.
    put("\xEF\xBB\xBF[登入数据]\nID=1\n; \xF0\x9F\x98\x80\n");
    EXPECT_TRUE(ini_file_in_utf8(path_));
    EXPECT_EQ(read_ini_item(path_, gbk("登入数据"), "ID"), "1");
}

TEST_F(IniFileTest, AGbkFileNeverPassesForUtf8) {
    // Each section this program writes is invalid UTF-8 in GBK, so a file holding one
    // is read as GBK even when its other bytes happen to be valid UTF-8 (here a value).
    for (const Text& section : {gbk("登入数据"), gbk("选择框"), gbk("监控记录"), gbk("运行选项")}) {
        SCOPED_TRACE(section);
        put("[" + section + "]\r\nk=\xC3\xA9\r\n");
        EXPECT_FALSE(ini_file_in_utf8(path_));
        EXPECT_EQ(read_ini_item(path_, section, "k"), "\xC3\xA9");
    }
    put("[s]\r\nk=v\r\n");  // plain ASCII reads the same either way
    EXPECT_FALSE(ini_file_in_utf8(path_));
    EXPECT_FALSE(ini_file_in_utf8(path_ + ".missing"));
}

TEST_F(IniFileTest, ASymbolicLinkStaysAndItsTargetIsUpdated) {
    const std::string target = directory_ + "/real.ini";
    std::ofstream(target) << "[s]\r\nk=old\r\n";
    fs::create_symlink(target, path_);
    ASSERT_TRUE(write_ini_item(path_, "s", "k", "new"));
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(read_ini_item(target, "s", "k"), "new");
}

// Runs `write` as an unprivileged user when the test runs as root, who could write
// anyway; gives its result.
bool write_without_privileges(const std::function<bool()>& write) {
    if (geteuid() != 0) {
        return write();
    }
    pid_t child = fork();
    if (child == 0) {
        bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
        _exit(!dropped ? 2 : write() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 2) << "could not drop privileges";
    return WEXITSTATUS(status) == 1;
}

TEST_F(IniFileTest, AnUnwritableDirectoryGivesFalseAndTheOldFileSurvives) {
    ASSERT_TRUE(write_ini_item(path_, "s", "k", "old"));
    fs::permissions(path_, fs::perms::all);  // the file itself would be writable
    fs::permissions(directory_, fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    const std::string before = content();
    EXPECT_FALSE(
        write_without_privileges([this] { return write_ini_item(path_, "s", "k", "new"); }));
    EXPECT_EQ(content(), before);
    EXPECT_EQ(files_in_directory(), 1u);
}

TEST_F(IniFileTest, AFileTheUserMayNotWriteIsLeftUntouchedEvenByRoot) {
    put("[s]\r\nk=old\r\n");
    const std::string before = content();
    const auto expect_untouched = [&](fs::perms mode) {
        fs::permissions(path_, mode);
        EXPECT_FALSE(write_ini_item(path_, "s", "k", "new"));
        EXPECT_FALSE(write_ini_item(path_, "t", "k", "new"));
        EXPECT_EQ(content(), before);
        EXPECT_EQ(fs::status(path_).permissions(), mode);
        EXPECT_EQ(files_in_directory(), 1u);
    };
    expect_untouched(fs::perms::owner_read);
    // Writable by group and others, but the owner's own bit is off.
    expect_untouched(fs::perms::owner_read | fs::perms::group_all | fs::perms::others_all);
}

// Root setting up a service's settings: the file another user owns is rewritten and
// stays that user's, with its mode.
TEST_F(IniFileTest, RootRewritesAnotherUsersFileKeepingItsOwnerAndMode) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root";
    }
    put("[s]\r\nk=old\r\n");
    ASSERT_EQ(chown(path_.c_str(), 65534, 65534), 0);
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(write_ini_item(path_, "s", "k", "new"));
    EXPECT_EQ(read_ini_item(path_, "s", "k"), "new");
    struct stat status {};
    ASSERT_EQ(::stat(path_.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 65534u);
    EXPECT_EQ(status.st_gid, 65534u);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_EQ(files_in_directory(), 1u);
}
#endif

}  // namespace
}  // namespace velmora
