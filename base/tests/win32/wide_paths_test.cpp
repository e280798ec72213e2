// Paths are GBK texts inside the program and UTF-16 at the platform's file calls, so a
// folder named in Chinese (or in any characters the system's ANSI code page lacks) holds
// the settings file under its own name. Runs under a Chinese and an English locale.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/system/atomic_file.h"
#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/win32/wide_text.h"

namespace velmora {
namespace {

// A new folder in the temporary directory, named `name` plus a random number, removed
// with what it holds at the end.
class Folder {
  public:
    explicit Folder(const std::wstring& name) {
        const Text temporary = testing::TempDir();  // ASCII under Wine and on Windows
        path_ = std::wstring(temporary.begin(), temporary.end()) + name +
                std::to_wstring(std::random_device()());
        created_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
    }
    ~Folder() {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((path_ + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    bool created() const { return created_; }
    const std::wstring& path() const { return path_; }

  private:
    std::wstring path_;
    bool created_ = false;
};

bool is_file(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

TEST(WidePaths, TheSettingsFileInAChineseFolderIsWrittenAndReadUnderItsOwnName) {
    Folder folder(L"设置 目录");
    ASSERT_TRUE(folder.created());
    const Text settings = gbk_path(folder.path()) + "\\velmora.ini";
    ASSERT_TRUE(write_ini_item(settings, gbk("登入数据"), "ID", "100001"));
    ASSERT_TRUE(write_ini_item(settings, gbk("选择框"), gbk("状态"), gbk("真")));

    EXPECT_TRUE(is_file(folder.path() + L"\\velmora.ini"));
    EXPECT_EQ(read_ini_item(settings, gbk("登入数据"), "ID"), "100001");
    EXPECT_EQ(read_ini_item(settings, gbk("选择框"), gbk("状态")), gbk("真"));
    // The file stays GBK on disk, whatever the system's code page.
    EXPECT_EQ(read_whole_file(settings),
              gbk("[登入数据]\r\nID=100001\r\n\r\n[选择框]\r\n状态=真\r\n"));
}

TEST(WidePaths, APathIsGbkWhereItCanBeAndItsShortFormWhereItCannot) {
    EXPECT_EQ(gbk_path(L"C:\\程序\\velmora"), gbk("C:\\程序\\velmora"));

    // "ä" and "ß" have no GBK form: dropped or replaced, they would name another folder.
    Folder folder(L"Jürgens Bäckerei ß ");
    ASSERT_TRUE(folder.created());
    const Text named = gbk_path(folder.path());
    ASSERT_FALSE(named.empty());
    const std::wstring wide = wide_text(named);
    EXPECT_NE(wide, folder.path());
    std::wstring long_form(MAX_PATH, L'\0');
    long_form.resize(GetLongPathNameW(wide.c_str(), long_form.data(), MAX_PATH));
    EXPECT_EQ(long_form, folder.path());

    // Without a short form (a path that does not exist has none) nothing names it.
    EXPECT_EQ(gbk_path(folder.path() + L"\\größer"), "");
}

}  // namespace
}  // namespace velmora
