#include "base/posix/gbk_private_use.h"

#include <gtest/gtest.h>

#include <set>

#include "base/gbk.h"

namespace velmora {
namespace {

bool is_double_byte_form(GbkPair pair) {
    return pair.lead >= 0x81 && pair.lead <= 0xfe && pair.trail >= 0x40 && pair.trail <= 0xfe &&
           pair.trail != 0x7f;
}

TEST(GbkPrivateUse, EveryPrivateUseCharacterHasItsOwnCellAndComesBackFromIt) {
    std::set<unsigned> cells;
    for (unsigned code = 0xe000; code <= 0xe864; ++code) {
        const auto character = static_cast<char32_t>(code);
        const auto pair = gbk_private_use_pair(character);
        ASSERT_TRUE(pair) << std::hex << code;
        ASSERT_TRUE(is_double_byte_form(*pair)) << std::hex << code;
        EXPECT_TRUE(cells.insert(pair->lead << 8 | pair->trail).second) << std::hex << code;
        EXPECT_EQ(gbk_private_use_character(*pair), character) << std::hex << code;
    }
    EXPECT_FALSE(gbk_private_use_pair(0xdfff));
    EXPECT_FALSE(gbk_private_use_pair(0xe865));
    EXPECT_FALSE(gbk_private_use_character({0xd6, 0xd0})) << "an ordinary character";
    EXPECT_FALSE(gbk_private_use_character({0xa1, 0x7f})) << "0x7F is no trail byte";
}

TEST(GbkPrivateUse, UserDefinedAndEmptyCellsConvertBothWaysWithoutSwallowingTheirNeighbours) {
    // The first and last cell of each user-defined area, an empty cell of the symbol rows.
    EXPECT_EQ(to_wide("\xaa\xa1\xaf\xfe"), u"\ue000\ue233");
    EXPECT_EQ(to_wide("\xf8\xa1\xfe\xfe"), u"\ue234\ue4c5");
    EXPECT_EQ(to_wide("\xa1\x40\xa7\xa0"), u"\ue4c6\ue765");
    EXPECT_EQ(from_wide(u"\ue4c6\ue765\ue864"), "\xa1\x40\xa7\xa0\xfe\xa0");
    // Skipping only the lead byte of an unknown pair read "\xbf\xf4" as a character here.
    EXPECT_EQ(to_wide("\xa6\xbf\xf4\xa1"), u"\ue78b\u7c1f");
    std::string out;
    ASSERT_TRUE(
        convert_charset("a\xa2\xab"
                        "b",
                        "GB2312", "UTF-16LE", out));
    EXPECT_EQ(out, std::string("a\0\x66\xe7"
                               "b\0",
                               6));
}

}  // namespace
}  // namespace velmora
