#include "http/response_decoding.h"

#include <gtest/gtest.h>

#include "base/gbk.h"

namespace velmora {
namespace {

Bytes bytes_of(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// The engine hands over the body both as read (up to its first zero byte) and raw.
Text decoded(const std::string& body) {
    return decode_response_text(body.substr(0, body.find('\0')), bytes_of(body));
}

// Source literals are UTF-8, so a page written here is a UTF-8 page as it stands.
const std::string kUtf8Page =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
    "</head><body>登入成功</body></html>";

TEST(DecodeResponseText, Utf8PagesComeBackAsGbk) {
    const Text expected =
        gbk("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
            "</head><body>登入成功</body></html>");
    EXPECT_EQ(decoded(kUtf8Page), expected);
    EXPECT_EQ(decoded("<meta charset=UTF-8><p>默认</p>"), gbk("<meta charset=UTF-8><p>默认</p>"));
    EXPECT_EQ(decoded("<META CHARSET='utf-8'>中文"), gbk("<META CHARSET='utf-8'>中文"));
}

// Shifting encodings refuse the strict conversions some platforms make; their pages still
// come back as text. (The ASCII of the meta tag reads the same in both.)
TEST(DecodeResponseText, PagesInShiftingEncodingsComeBackAsText) {
    EXPECT_EQ(decoded("<meta charset=utf-7>+ZeVnLIqe-"), gbk("<meta charset=utf-7>日本語"));
    EXPECT_EQ(decoded("<meta charset=iso-2022-jp>\x1b$B$3$s$K$A$O\x1b(B"),
              gbk("<meta charset=iso-2022-jp>こんにちは"));
}

TEST(DecodeResponseText, GbkDeclarationsLeaveTheTextAsRead) {
    // A text that differs from the body shows that no conversion took place.
    const Bytes body = bytes_of(kUtf8Page);
    for (const char* page : {"<meta charset=\"gbk\">as read", "<meta charset=gb2312>as read"}) {
        EXPECT_EQ(decode_response_text(page, body), page);
    }
    // Capitals are not excluded: the stream reads the page as GB2312, which decodes as its
    // superset GBK, so characters outside GB2312 (堃, 喆, 镕) come back unchanged too.
    const Text gbk_page = gbk("<meta charset=\"GB2312\"><p>更新记录值成功 堃喆镕</p>");
    EXPECT_EQ(decoded(gbk_page), gbk_page);
}

TEST(DecodeResponseText, OnlyTheFirst1024BytesAreSearched) {
    const std::string page = "<meta charset=utf-8>中文";  // 20 bytes of tag
    const std::string early = std::string(1004, ' ') + page;
    EXPECT_EQ(decoded(early), std::string(1004, ' ') + gbk("<meta charset=utf-8>中文"));
    const std::string unseen = std::string(1024, ' ') + page;
    EXPECT_EQ(decoded(unseen), unseen);
}

TEST(DecodeResponseText, TextsWithoutASingleLineMetaDeclarationStayAsRead) {
    const std::string json = "{\"status\":{\"code\":\"1\",\"message\":\"登入成功\"}}";
    EXPECT_EQ(decoded(json), json);
    const std::string split = "<meta http-equiv=\"Content-Type\"\ncontent=\"charset=utf-8\">中文";
    EXPECT_EQ(decoded(split), split);
    EXPECT_EQ(decoded(""), "");
}

TEST(DecodeResponseText, UnknownCharsetsDoNotBreakTheCall) {
    // A name the platform does not know converts to nothing.
    EXPECT_EQ(decoded("<meta charset=x-no-such-charset>中文"), "");
}

TEST(DecodeResponseText, TheConvertedTextEndsAtItsFirstZeroByte) {
    const std::string body = std::string("<meta charset=utf-8>中文") + '\0' + "tail";
    EXPECT_EQ(decoded(body), gbk("<meta charset=utf-8>中文"));
}

TEST(RegexObject, ReportsMatchesAndGroups) {
    regex_object regex;
    EXPECT_EQ(regex.pattern(), "");
    ASSERT_TRUE(regex.search("(\\w)=(\\d+)", "a=1 B=22 c=x"));
    EXPECT_EQ(regex.pattern(), "(\\w)=(\\d+)");
    EXPECT_EQ(regex.match_count(), 2);
    EXPECT_EQ(regex.match_text(2), "B=22");
    EXPECT_EQ(regex.submatch(2, 1), "B");
    EXPECT_EQ(regex.submatch(1, 2), "1");
    EXPECT_EQ(regex.group_count(), 2);
    EXPECT_EQ(regex.replace("#"), "# # c=x");
    EXPECT_EQ(regex.match_text(3), "");
    EXPECT_EQ(regex.submatch(1, 3), "");
}

TEST(RegexObject, SwitchesReachTheSearch) {
    regex_object regex;
    ASSERT_TRUE(regex.search("b", "abcB", /*case_sensitive=*/true));
    EXPECT_EQ(regex.match_count(), 1);
    ASSERT_TRUE(regex.search("b", "abcB", false, true, /*global=*/false));
    EXPECT_EQ(regex.match_count(), 1);
    ASSERT_TRUE(regex.search("z", "abc"));  // an empty collection is still a collection
    EXPECT_EQ(regex.match_count(), 0);
    const Text pattern = gbk("#引号code#引号:#引号(\\d+)");
    ASSERT_TRUE(
        regex.search(pattern, "{\"code\":\"17\"}", false, true, true, /*quote_token=*/true));
    EXPECT_EQ(regex.submatch(1, 1), "17");
}

TEST(RegexObject, CopiesShareTheLastSearch) {
    regex_object original;
    ASSERT_TRUE(original.search("\\d", "a1b2"));
    const regex_object copy = original;
    original.search("x", "x");
    EXPECT_EQ(copy.match_count(), 2);
    EXPECT_EQ(copy.replace("-"), "a-b-");
}

}  // namespace
}  // namespace velmora
