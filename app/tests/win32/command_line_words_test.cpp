// The program's command line split into its words as the platform splits it, the
// program's own name left out, each word in GBK.
#include <gtest/gtest.h>

#include "app/win32/command_line_words.h"
#include "base/gbk.h"

namespace velmora {
namespace {

TEST(CommandLineWords, AreTheWordsAfterTheProgramsNameUnquoted) {
    EXPECT_EQ(command_line_words(L"velmora.exe"), TextList{});
    EXPECT_EQ(command_line_words(L"\"C:\\安装 目录\\velmora.exe\" --minimized"),
              TextList{"--minimized"});
    EXPECT_EQ(command_line_words(L"velmora.exe  --help\t\"--ver sion\" \"\""),
              (TextList{"--help", "--ver sion", ""}));
    EXPECT_EQ(command_line_words(L"velmora.exe 选项"), TextList{gbk("选项")});
}

TEST(CommandLineWords, AWordGbkCannotHoldMatchesNoOption) {
    // "--minimized" with its i a Cyrillic letter that looks the same.
    const TextList words = command_line_words(L"velmora.exe --m\u0456nimized");
    ASSERT_EQ(words.size(), 1U);
    EXPECT_NE(words[0], "--minimized");
}

}  // namespace
}  // namespace velmora
