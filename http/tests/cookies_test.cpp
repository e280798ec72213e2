#include "http/cookies.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

Text collected(std::initializer_list<const char*> lines, bool simple = false) {
    Text received;
    for (const char* line : lines) {
        simple ? collect_set_cookie_simple(line, received) : collect_set_cookie(line, received);
    }
    return received;
}

// Runs a merge the way the engine does: the result lands in both variables.
Text merged(Text sent, Text received, bool simple = false) {
    received = simple ? merge_cookies_simple(sent, received) : merge_cookies(sent, received);
    EXPECT_EQ(sent, received);
    return received;
}

TEST(CollectSetCookie, KeepsOnlyTheNameValuePairAndAppends) {
    EXPECT_EQ(collected({"Set-Cookie: sid=abc; path=/; HttpOnly"}), "sid=abc; ");
    EXPECT_EQ(collected({"Set-Cookie: flag"}), "flag; ");
    EXPECT_EQ(collected({"Set-Cookie:   spaced=1   ; path=/"}), "spaced=1; ");
    EXPECT_EQ(collected({"Set-Cookie: ; path=/"}), "; ");  // an empty piece keeps its separator
    Text received = "old=0; ";
    collect_set_cookie("Set-Cookie: a=1; path=/", received);
    EXPECT_EQ(received, "old=0; a=1; ");
}

TEST(CollectSetCookie, FullFormWantsTheExactHeaderNameSimpleFormAnyMention) {
    for (const char* line : {"set-cookie: a=1; path=/", "X-Set-Cookie: a=1; path=/",
                             "Set-Cookie:a=1", "Content-Type: text/html; charset=gbk"}) {
        EXPECT_EQ(collected({line}), "") << line;
    }
    // The simple engine has already rewritten "set-cookie" to this form.
    EXPECT_EQ(collected({"Set-Cookie: a=1; path=/"}, true), "a=1; ");
    EXPECT_EQ(collected({"X-Set-Cookie: a=1; path=/"}, true), "a=1; ");
    EXPECT_EQ(collected({"Content-Type: text/html"}, true), "");
}

TEST(FinishReceivedCookies, FullFormDropsTheSeparatorSimpleFormAlwaysTwoBytes) {
    Text received = collected({"Set-Cookie: a=1", "Set-Cookie: b=2; path=/"});
    finish_received_cookies(received);
    EXPECT_EQ(received, "a=1; b=2");
    finish_received_cookies(received);
    EXPECT_EQ(received, "a=1; b=2");
    finish_received_cookies_simple(received);
    EXPECT_EQ(received, "a=1; b");
    Text shortest = "x";
    finish_received_cookies_simple(shortest);
    EXPECT_EQ(shortest, "");
}

TEST(MergeCookies, ServerPiecesComeFirstAndReplaceSentOnes) {
    EXPECT_EQ(merged("a=1; b=2", "b=3"), "b=3; a=1");
    EXPECT_EQ(merged("", "c=3; d=4"), "c=3; d=4");
    // Names are compared exactly and trimmed around the "=".
    EXPECT_EQ(merged("A=1; b =2", "a=9; b=3"), "a=9; b=3; A=1");
    // A sent piece is also skipped when an earlier sent piece took its name.
    EXPECT_EQ(merged("a=1; a=2", ""), "a=1");
}

TEST(MergeCookies, DeletedCookiesAndExactDuplicatesVanish) {
    EXPECT_EQ(merged("a=1", "a=deleted"), "");
    EXPECT_EQ(merged("a=1; b=2", "b=deleted; c=3"), "c=3; a=1");
    EXPECT_EQ(merged("", "a=1; b=2; a=1"), "a=1; b=2");
    EXPECT_EQ(merged("", "a=1; a=2"), "a=1; a=2");  // same name, other value
}

TEST(MergeCookies, NormalisesBlanksAndTrailingSemicolons) {
    EXPECT_EQ(merged("a=1;", ""), "a=1");
    EXPECT_EQ(merged("\xA1\xA1"
                     "a=x y\xA1\xA1",
                     ""),
              "a=x y");  // only the ends are trimmed
    Text sent = "a=1", received = " b=2;";
    EXPECT_EQ(merge_cookies(sent, received), "b=2; a=1");
    EXPECT_EQ(received, "b=2; ");  // written back normalised
}

TEST(MergeCookies, SimpleFormRemovesEveryBlankAndSplitsAtSemicolons) {
    EXPECT_EQ(merged("a=1; b=2", "b=3;c=4", true), "b=3; c=4; a=1");
    EXPECT_EQ(merged("x=hello world\xA1\xA1", "", true), "x=helloworld");
    EXPECT_EQ(merged("a=1", "a=deleted", true), "");
}

}  // namespace
}  // namespace velmora
