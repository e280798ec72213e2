#include "base/gbk.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace velmora {
namespace {

TEST(Gbk, LiteralsBecomeTheirGbkBytesAndAreCachedPerLiteral) {
    EXPECT_EQ(gbk("登入成功"), "\xb5\xc7\xc8\xeb\xb3\xc9\xb9\xa6");
    EXPECT_EQ(gbk("abc"), "abc");
    EXPECT_EQ(gbk(""), "");

    static constexpr const char* kLiteral = "信息：";
    EXPECT_EQ(&gbk(kLiteral), &gbk(kLiteral));
}

TEST(Gbk, ConcurrentFirstUseGivesOneCachedText) {
    static constexpr const char* kLiteral = "解析中...";
    std::vector<const Text*> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = &gbk(kLiteral); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const Text* text : seen) {
        EXPECT_EQ(text, seen.front());
    }
    EXPECT_EQ(*seen.front(), "\xbd\xe2\xce\xf6\xd6\xd0...");
}

TEST(GbkDeathTest, ALiteralOutsideGbkAborts) {
    EXPECT_DEATH(gbk("😀"), "not convertible");
}

TEST(Wide, RoundTripsGbkTextIncludingTheCodePageExtras) {
    EXPECT_EQ(to_wide(gbk("中文abc")), u"中文abc");
    EXPECT_EQ(from_wide(u"中文abc"), gbk("中文abc"));
    EXPECT_EQ(to_wide(""), u"");
    EXPECT_EQ(from_wide(u""), "");
    // Code page 936 maps the single byte 0x80 to the euro sign.
    EXPECT_EQ(to_wide("\x80"), u"\u20ac");
    EXPECT_EQ(from_wide(u"\u20ac"), "\x80");
}

TEST(Wide, CharactersOutsideGbkAreSkipped) {
    EXPECT_EQ(from_wide(u"a\U0001F600b"), "ab");  // no GBK form for an emoji
    EXPECT_EQ(to_wide("a\xff"
                      "b"),
              u"ab");                     // 0xFF is no GBK lead byte
    EXPECT_EQ(to_wide("ab\xb5"), u"ab");  // a lead byte without its trail byte
}

TEST(ConvertCharset, ConvertsLongInputsAndSkipsBadBytes) {
    std::string utf8;
    for (int i = 0; i < 5000; ++i) {
        utf8 += "中";
    }
    std::string out;
    ASSERT_TRUE(convert_charset(utf8, "UTF-8", "GBK", out));
    EXPECT_EQ(out.size(), 10000u);
    EXPECT_EQ(out.substr(0, 2), "\xd6\xd0");

    ASSERT_TRUE(
        convert_charset("a\xff\xfe"
                        "b\xe4\xb8",
                        "UTF-8", "GBK", out));
    EXPECT_EQ(out, "ab");
}

// The names replies declare, as the platform's charset lookup (or iconv) knows them.
TEST(ConvertCharset, DeclaredCharsetNamesAndGbkForEveryNameOfGb2312) {
    std::string out;
    ASSERT_TRUE(convert_charset("caf\xe9", "iso-8859-1", "UTF-8", out));
    EXPECT_EQ(out, "café");
    ASSERT_TRUE(convert_charset("\xa4\xa4\xa4\xe5", "Big5", "UTF-8", out));
    EXPECT_EQ(out, "中文");
    // 堃 exists in GBK only; a page declaring GB2312 still means it.
    for (const char* name : {"GB2312", "gb_2312-80", "x-gbk", "EUC-CN"}) {
        ASSERT_TRUE(convert_charset(gbk("堃"), name, "UTF-8", out)) << name;
        EXPECT_EQ(out, "堃") << name;
    }
    ASSERT_TRUE(convert_charset(gbk("中"), "GBK", "UTF-16LE", out));
    EXPECT_EQ(out, "\x2d\x4e");
    ASSERT_TRUE(convert_charset("\x2d\x4e", "UTF-16LE", "GBK", out));
    EXPECT_EQ(out, gbk("中"));
}

TEST(ConvertCharset, UnknownCharsetGivesFalseAndEmptyOutput) {
    std::string out = "left over";
    EXPECT_FALSE(convert_charset("abc", "NO-SUCH-CHARSET", "GBK", out));
    EXPECT_TRUE(out.empty());
    out = "left over";
    EXPECT_FALSE(convert_charset("abc", "GBK", "NO-SUCH-CHARSET", out));
    EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace velmora
