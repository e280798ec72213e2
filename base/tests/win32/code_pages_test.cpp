// Charsets of shifting encodings (UTF-7, the ISO-2022 family, HZ) refuse the strict
// conversion flags; they still convert to text, both ways, not to nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/gbk.h"

namespace velmora {
namespace {

// Wine converts HZ nowhere: neither its code-page calls nor its multi-language service
// know code page 52936.
bool under_wine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::string converted(const std::string& input, const char* from, const char* to) {
    std::string out;
    EXPECT_TRUE(convert_charset(input, from, to, out)) << from << " to " << to;
    return out;
}

TEST(CodePages, ShiftingEncodingsConvertToText) {
    EXPECT_EQ(converted("+ZeVnLIqe-", "UTF-7", "UTF-8"), "日本語");
    EXPECT_EQ(converted("\x1b$B$3$s$K$A$O\x1b(B", "ISO-2022-JP", "UTF-8"), "こんにちは");
    // Into the program's own text as well, the way a page's declared charset is read.
    EXPECT_EQ(converted("+ZeVnLIqe-", "utf-7", "GBK"), gbk("日本語"));
    if (!under_wine()) {
        EXPECT_EQ(converted("~{VPND~}", "HZ-GB-2312", "GBK"), gbk("中文"));
    }
}

TEST(CodePages, ShiftingEncodingsAreWrittenToo) {
    EXPECT_EQ(converted("日本語", "UTF-8", "UTF-7"), "+ZeVnLIqe-");
    EXPECT_EQ(converted(converted("こんにちは", "UTF-8", "ISO-2022-JP"), "ISO-2022-JP", "UTF-8"),
              "こんにちは");
}

}  // namespace
}  // namespace velmora
