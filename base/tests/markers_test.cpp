#include "base/markers.h"

#include <gtest/gtest.h>

#include "base/gbk.h"
#include "base/text.h"

namespace velmora {
namespace {

const Text kReply = R"({"status":{"code":"1","message":"ok"},"records":[)"
                    R"({"id":"16894","name":"www","type":"A","value":"1.2.3.4"},)"
                    R"({"id":"16895","name":"@","type":"A","value":"5.6.7.8"}]})";

Text quoted(const Text& key) {
    return join_text(gbk("#引号"), key, gbk("#引号"));
}

TEST(TextBetween, FirstPieceBetweenTheMarkers) {
    EXPECT_EQ(text_between("a[1]b", "[", "]"), "1");
    EXPECT_EQ(text_between("a[]b", "[", "]"), "");
    EXPECT_EQ(text_between("a]b[c", "[", "]"), "");
    EXPECT_EQ(text_between("abc", "[", "]"), "");
    EXPECT_EQ(text_between("", "[", "]"), "");
    EXPECT_EQ(text_between("[1][2]", "[", "]", 2), "2");
    EXPECT_EQ(text_between("Path=/; DOMAIN=x;", "domain=", ";", 0, true), "x");
}

TEST(TextBetween, QuoteTokenStandsForADoubleQuote) {
    const Text left = join_text(quoted("code"), ":", gbk("#引号"));
    EXPECT_EQ(text_between(kReply, left, gbk("#引号")), "1");
    EXPECT_EQ(text_between(kReply, join_text(quoted("value"), ":", gbk("#引号")), gbk("#引号")),
              "1.2.3.4");
}

TEST(AllTextsBetween, CollectsEveryClosedPiece) {
    TextList pieces;
    EXPECT_EQ(all_texts_between("x=1;y=2;z=3", "=", ";", pieces), 2);
    EXPECT_EQ(pieces, (TextList{"1", "2"}));
}

TEST(AllTextsBetween, KeepsQuotesOfQuotedValues) {
    TextList pieces;
    EXPECT_EQ(all_texts_between(R"({"id":5,"x":{"id":"7","y":1},})", R"("id":)", ",", pieces), 2);
    EXPECT_EQ(pieces, (TextList{"5", R"("7")"}));
}

TEST(AllTextsBetween, NextSearchStartsBehindTheLeftMarker) {
    TextList pieces;
    // The closing quote of one name is the opening quote of the next left marker.
    all_texts_between(R"("a","b","c")", R"(")", R"(")", pieces);
    EXPECT_EQ(pieces, (TextList{"a", ",", "b", ",", "c"}));
    all_texts_between(kReply, R"("name":")", R"(")", pieces);
    EXPECT_EQ(pieces, (TextList{"www", "@"}));
}

TEST(AllTextsBetween, DiscardsWhatTheListHeld) {
    TextList pieces{"old", "older"};
    EXPECT_EQ(all_texts_between("[a]", "[", "]", pieces), 1);
    EXPECT_EQ(pieces, (TextList{"a"}));
    EXPECT_EQ(all_texts_between("", "[", "]", pieces), 0);
    EXPECT_TRUE(pieces.empty());
}

TEST(AllTextsBetween, MarkersAreUsedAsGiven) {
    TextList pieces;
    EXPECT_EQ(all_texts_between(kReply, quoted("id"), ",", pieces), 0);
}

TEST(AllTextsBetween, EmptyLeftMarkerFindsNothing) {
    TextList pieces{"old"};
    EXPECT_EQ(all_texts_between("a;b;", "", ";", pieces), 0);
    EXPECT_TRUE(pieces.empty());
}

TEST(AllTextsBetween, Options) {
    TextList pieces;
    all_texts_between("[a][abc][ab]", "[", "]", pieces, false, 3);
    EXPECT_EQ(pieces, (TextList{"a", "ab"}));
    all_texts_between("[a][b]", "[", "]", pieces, false, 0, "<", ">", 1, 1);
    EXPECT_EQ(pieces, (TextList{"[<a>]", "[<b>]"}));
    all_texts_between("[a][b]", "[", "]", pieces, false, 0, "", "", 0, 1);
    EXPECT_EQ(pieces, (TextList{"a]", "b]"}));
    // max_length applies to the finished item, prefix and markers included.
    all_texts_between("[a][bb]", "[", "]", pieces, false, 4, "", "", 1, 1);
    EXPECT_EQ(pieces, (TextList{"[a]"}));
    all_texts_between("[a][b]", "[", "]", pieces, false, 0, "", "", 0, 0, 3);
    EXPECT_EQ(pieces, (TextList{"b"}));
    all_texts_between("<A>1</a><a>2</A>", "<a>", "</a>", pieces, true);
    EXPECT_EQ(pieces, (TextList{"1", "2"}));
}

}  // namespace
}  // namespace velmora
