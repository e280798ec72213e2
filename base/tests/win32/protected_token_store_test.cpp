// The token through the data protection API: its protected bytes stand base64 in the
// settings file's ProtectedToken, read back by this account, refused when corrupt and to
// another account. Under Wine the protection's key follows the Linux user name the Wine
// server started with, so a run under another USER stands in for another account.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/gbk.h"
#include "base/ini_file.h"
#include "base/system/atomic_file.h"
#include "base/system/token_store.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr char kToken[] = "5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24";

class ProtectedTokenStore : public ::testing::Test {
  protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() /
                     ("velmora-protected-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(directory_);
        path_ = (directory_ / "velmora.ini").string();
    }
    void TearDown() override { fs::remove_all(directory_); }

    Text blob() const { return read_ini_item(path_, gbk("登入数据"), "ProtectedToken"); }

    fs::path directory_;
    std::string path_;
};

TEST_F(ProtectedTokenStore, KeepsTheProtectedBytesInTheFileAndReadsThemBack) {
    ASSERT_EQ(platform_token_store(path_)->keep("100001", kToken), "");
    const Text kept = blob();
    EXPECT_GT(kept.size(), 40u);
    EXPECT_EQ(kept.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                     "0123456789+/="),
              Text::npos);
    EXPECT_EQ(read_whole_file(path_).value_or("").find(kToken), std::string::npos);
    EXPECT_EQ(platform_token_store(path_)->find("100001").token, kToken);

    platform_token_store(path_)->forget("100001");
    EXPECT_EQ(blob(), "");
    EXPECT_EQ(platform_token_store(path_)->find("100001").token, std::nullopt);
}

TEST_F(ProtectedTokenStore, RefusesACorruptBlobWithTheLine) {
    ASSERT_EQ(platform_token_store(path_)->keep("100001", kToken), "");
    const Text kept = blob();
    // A byte of the encrypted token changed (the last 28 characters are the signature),
    // and the blob cut short.
    Text changed = kept;
    changed[kept.size() - 40] = changed[kept.size() - 40] == 'A' ? 'B' : 'A';
    for (const Text& corrupt : {changed, kept.substr(0, kept.size() / 2)}) {
        ASSERT_TRUE(write_ini_item(path_, gbk("登入数据"), "ProtectedToken", corrupt));
        const TokenLookup lookup = platform_token_store(path_)->find("100001");
        EXPECT_EQ(lookup.token, std::nullopt);
        EXPECT_NE(lookup.problem.find(gbk("无法解密")), Text::npos);
    }

    ASSERT_TRUE(write_ini_item(path_, gbk("登入数据"), "ProtectedToken", "not base64!"));
    EXPECT_EQ(platform_token_store(path_)->find("100001").token, std::nullopt);
}

// The file VELMORA_PROTECTED_FILE names, written or read as VELMORA_PROTECTED_EXPECT
// says, by runs of their own (cmake/tests/wine_another_user.sh): Wine takes the user from
// USER when its server starts, so each run needs a server of its own.
TEST_F(ProtectedTokenStore, ReadByAnotherRun) {
    const char* file = std::getenv("VELMORA_PROTECTED_FILE");
    const char* expected = std::getenv("VELMORA_PROTECTED_EXPECT");
    if (file == nullptr || expected == nullptr) {
        GTEST_SKIP() << "run by cmake/tests/wine_another_user.sh";
    }
    if (std::string(expected) == "write") {
        ASSERT_EQ(platform_token_store(file)->keep("100001", kToken), "");
        return;
    }
    const TokenLookup lookup = platform_token_store(file)->find("100001");
    if (std::string(expected) == "found") {
        EXPECT_EQ(lookup.token, kToken);
    } else {
        EXPECT_EQ(lookup.token, std::nullopt);
        EXPECT_NE(lookup.problem.find(gbk("另一个账户")), Text::npos);
    }
}

}  // namespace
}  // namespace velmora
