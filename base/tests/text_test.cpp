#include "base/text.h"

#include <gtest/gtest.h>

#include <random>

#include "base/gbk.h"

namespace velmora {
namespace {

// A double-byte character whose trail byte is the ASCII letter A.
const Text kTrailA =
    "\x81"
    "A";
const Text kFullWidthSpace = "\xA1\xA1";

TEST(FindText, PositionsAreOneBasedAndStartClampsBelowOne) {
    EXPECT_EQ(find_text("abcabc", "b"), 2);
    EXPECT_EQ(find_text("abcabc", "b", 3), 5);
    EXPECT_EQ(find_text("abcabc", "b", 6), -1);
    EXPECT_EQ(find_text("abcabc", "b", 0), 2);
    EXPECT_EQ(find_text("abcabc", "b", -5), 2);
    EXPECT_EQ(find_text("abcabc", "c", 7), -1);
    EXPECT_EQ(find_text("abc", "abcd"), -1);
}

TEST(FindText, EmptyNeedleGivesOneOnlyWhenBytesRemain) {
    EXPECT_EQ(find_text("abc", ""), 1);
    EXPECT_EQ(find_text("abc", "", 3), 1);
    EXPECT_EQ(find_text("abc", "", 4), -1);
    EXPECT_EQ(find_text("", ""), -1);
}

TEST(FindText, IgnoreCaseFoldsAsciiLettersOnly) {
    const Text header = "Content-Type: text/html";
    EXPECT_EQ(find_text(header, "content-type", 0, true), 1);
    EXPECT_EQ(find_text(header, "content-type"), -1);
    EXPECT_EQ(find_text("a[b", "{", 0, true), -1);  // '[' and '{' differ by the case bit
}

TEST(FindText, NeverMatchesOnATrailByte) {
    EXPECT_EQ(find_text(kTrailA + "A", "A"), 3);
    EXPECT_EQ(find_text(kTrailA + "B", "AB"), -1);
    EXPECT_EQ(find_text("x" + kTrailA, "A"), -1);
    EXPECT_EQ(find_text("xy" + kTrailA + "za", "A", 0, true), 6);
    // A start that lands on a trail byte is not resynchronised: the skip counts raw bytes.
    EXPECT_EQ(find_text(kTrailA, "A", 2), 2);
}

TEST(FindText, LeadByteAtTheEndEndsTheWalk) {
    EXPECT_EQ(find_text("ab\x81", "\x81"), 3);
    EXPECT_EQ(find_text("a\x81", "b"), -1);
}

// The searches trust a byte match only where a walk by characters lands on it; checked
// against a plain walk from character to character over texts where ASCII letters, lead
// bytes and trail bytes that look like letters mix.
TEST(FindText, FindsWhatAWalkByCharactersFinds) {
    const auto walk = [](const Text& text, const Text& needle, std::size_t from, std::size_t end,
                         bool ignore_case, bool last) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        int found = -1;
        for (std::size_t i = from; i < end;) {
            bool same = end - i >= needle.size();
            for (std::size_t k = 0; same && k < needle.size(); ++k) {
                same =
                    ignore_case ? fold(text[i + k]) == fold(needle[k]) : text[i + k] == needle[k];
            }
            if (same && (found = static_cast<int>(i) + 1, !last)) {
                break;
            }
            if (static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 == end) {
                break;  // a lead byte without its trail byte ends the text
            }
            i += static_cast<unsigned char>(text[i]) < 0x80 ? 1 : 2;
        }
        return found;
    };
    std::mt19937 random(7);
    const auto pick = [&](std::size_t most) {
        Text text(random() % (most + 1), ' ');
        for (char& c : text) {
            c = "aAb\x81"[random() % 4];
        }
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        const Text text = pick(24);
        const Text needle = pick(3);
        const bool ignore_case = random() % 2 == 0;
        const int start = static_cast<int>(random() % (text.size() + 3)) - 1;
        if (needle.empty() || start > static_cast<int>(text.size())) {
            continue;
        }
        const std::size_t skip = start > 1 ? static_cast<std::size_t>(start - 1) : 0;
        SCOPED_TRACE(::testing::PrintToString(text) + " " + ::testing::PrintToString(needle));
        EXPECT_EQ(find_text(text, needle, start, ignore_case),
                  walk(text, needle, skip, text.size(), ignore_case, false));
        EXPECT_EQ(find_last_text(text, needle, std::nullopt, ignore_case),
                  walk(text, needle, 0, text.size(), ignore_case, true));
    }
}

TEST(FindLastText, SearchesOnlyTheRegionBeforeStart) {
    EXPECT_EQ(find_last_text("a=1&b=2&c=3", "&"), 8);
    EXPECT_EQ(find_last_text("a=1&b=2&c=3", "&", 8), 4);
    EXPECT_EQ(find_last_text("a=1&b=2&c=3", "&", 9), 8);
    EXPECT_EQ(find_last_text("a=1&b=2&c=3", "&", 100), 8);
    EXPECT_EQ(find_last_text("abab", "ab", 4), 1);  // the match at 3 reaches past the region
    EXPECT_EQ(find_last_text("abc", "a", 1), -1);
    EXPECT_EQ(find_last_text("abc", "a", 0), -1);
    EXPECT_EQ(find_last_text("ABC", "b", std::nullopt, true), 2);
    EXPECT_EQ(find_last_text("A" + kTrailA, "A"), 1);
}

TEST(FindLastText, EmptyNeedle) {
    EXPECT_EQ(find_last_text("abc", ""), 1);
    EXPECT_EQ(find_last_text("abc", "", 1), -1);
    EXPECT_EQ(find_last_text("", ""), -1);
}

TEST(CutText, CountsRawBytesAndClamps) {
    EXPECT_EQ(text_middle("abcdef", 3, 2), "cd");
    EXPECT_EQ(text_middle("abcdef", 5, 10), "ef");
    EXPECT_EQ(text_middle("abc", 0, 2), "");
    EXPECT_EQ(text_middle("abc", 4, 2), "");
    EXPECT_EQ(text_middle("abc", 1, 0), "");
    EXPECT_EQ(text_left("abc", 5), "abc");
    EXPECT_EQ(text_left("abc", 2), "ab");
    EXPECT_EQ(text_left("abc", -1), "");
    EXPECT_EQ(text_right("abc", 2), "bc");
    EXPECT_EQ(text_right("abc", 9), "abc");
    EXPECT_EQ(text_right("abc", -1), "");
    EXPECT_EQ(text_left(kTrailA, 1), "\x81");  // may split a character
}

TEST(ReplaceText, ReplacesEveryOccurrenceByDefault) {
    EXPECT_EQ(replace_text("x\r\ny\r\n", "\r\n"), "xy");
    EXPECT_EQ(replace_text("a-b-c", "-", "+-+"), "a+-+b+-+c");
    EXPECT_EQ(replace_text("aaa", "aa", "b"), "ba");
}

TEST(ReplaceText, StartCountAndCase) {
    EXPECT_EQ(replace_text("a-b-c-d", "-", "+", 3), "a-b+c+d");
    EXPECT_EQ(replace_text("a-b-c-d", "-", "+", 1, 2), "a+b+c-d");
    EXPECT_EQ(replace_text("a-b", "-", "+", 1, 0), "a-b");
    EXPECT_EQ(replace_text("a-b", "-", "+", 4), "a-b");
    EXPECT_EQ(replace_text("aAa", "a", "x"), "xAx");
    EXPECT_EQ(replace_text("aAa", "a", "x", 1, -1, false), "xxx");
    EXPECT_EQ(replace_text("", "a", "x"), "");
    EXPECT_EQ(replace_text("abc", "", "x"), "abc");
}

TEST(ReplaceText, IsDoubleByteAware) {
    EXPECT_EQ(replace_text(kTrailA + "A", "A", "x"), kTrailA + "x");
    EXPECT_EQ(replace_text("a\x81", "\x81", "x"), "ax");
}

TEST(Spaces, TrimRemovesOnlySpacesAndFullWidthSpaces) {
    EXPECT_EQ(trim_spaces(" \tx \r\n"), "\tx \r\n");
    EXPECT_EQ(trim_spaces("  a b  "), "a b");
    EXPECT_EQ(trim_spaces(kFullWidthSpace + "a" + kFullWidthSpace + " "), "a");
    EXPECT_EQ(trim_spaces("   "), "");
    EXPECT_EQ(trim_spaces(""), "");
    // B0 A1 is one character; the A1 A1 after it is the full-width space.
    EXPECT_EQ(trim_spaces("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
    // Here the trail byte A1 and the next byte do not form a space.
    EXPECT_EQ(trim_spaces("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
}

TEST(Spaces, RemoveDropsEverySpaceCharacter) {
    EXPECT_EQ(remove_spaces(" a b" + kFullWidthSpace + "c "), "abc");
    EXPECT_EQ(remove_spaces("\xB0\xA1\xA1\xA1 x"), "\xB0\xA1x");
    EXPECT_EQ(remove_spaces("\tx"), "\tx");
}

TEST(ToUpper, ChangesAsciiLettersOnly) {
    EXPECT_EQ(to_upper("abz-AZ{"), "ABZ-AZ{");
    EXPECT_EQ(to_upper("\xB0\x61"
                       "a"),
              "\xB0\x61"
              "A");
    EXPECT_EQ(to_upper("ab\x81"), "AB\x81");
}

TEST(SplitText, KeepsInnerEmptyPiecesButNotAnEmptyTail) {
    EXPECT_EQ(split_text("a||b|", "|"), (TextList{"a", "", "b"}));
    EXPECT_EQ(split_text("a,b"), (TextList{"a", "b"}));
    EXPECT_EQ(split_text("|a", "|"), (TextList{"", "a"}));
    EXPECT_EQ(split_text("a<>b", "<>"), (TextList{"a", "b"}));
    EXPECT_TRUE(split_text("", "|").empty());
    EXPECT_EQ(split_text("a|b", ""), (TextList{"a|b"}));
}

TEST(SplitText, MaxPiecesDropsTheRest) {
    EXPECT_EQ(split_text("a|b|c", "|", 2), (TextList{"a", "b"}));
    EXPECT_EQ(split_text("a|b", "|", 2), (TextList{"a", "b"}));
    EXPECT_EQ(split_text("a|b|c", "|", 5), (TextList{"a", "b", "c"}));
    EXPECT_TRUE(split_text("a|b", "|", 0).empty());
}

TEST(SplitText, SeparatorNeverMatchesATrailByte) {
    EXPECT_EQ(split_text(kTrailA + "A", "A"), (TextList{kTrailA}));
}

TEST(CompareText, ComparesCharactersAsUnits) {
    EXPECT_EQ(compare_text("abc", "abc", true), 0);
    EXPECT_LT(compare_text("abc", "abd", true), 0);
    EXPECT_GT(compare_text("abc", "ab", true), 0);
    EXPECT_LT(compare_text("ABC", "abc", true), 0);
    EXPECT_EQ(compare_text("ABC", "abc", false), 0);
    EXPECT_LT(compare_text("a", "\xB0\xA1", true), 0);
    EXPECT_GT(compare_text("\xB0\xA2", "\xB0\xA1", true), 0);
    // A lead byte at the end counts as the end of the text.
    EXPECT_EQ(compare_text("ab\x81", "ab", true), 0);
}

TEST(Characters, CodesAreSignedBytesAndRoundTrip) {
    EXPECT_EQ(char_code("ab"), 'a');
    EXPECT_EQ(char_code("ab", 2), 'b');
    EXPECT_EQ(char_code("ab", 3), 0);
    EXPECT_EQ(char_code("ab", 0), 0);
    const Text zhong = gbk("中");
    EXPECT_LT(char_code(zhong), 0);
    EXPECT_EQ(char_text(char_code(zhong)) + char_text(char_code(zhong, 2)), zhong);
    EXPECT_EQ(char_text('x'), "x");
    EXPECT_EQ(char_text(0), "");
    EXPECT_EQ(char_text(255), "\xFF");
}

TEST(JoinText, ConcatenatesAnyTexts) {
    EXPECT_EQ(join_text(Text("a"), "b", std::string_view("c")), "abc");
    EXPECT_EQ(join_text(Text(), Text()), "");
    EXPECT_EQ(text_length(join_text(gbk("默认"), "x")), 5);
}

}  // namespace
}  // namespace velmora
