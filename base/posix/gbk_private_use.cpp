#include "base/posix/gbk_private_use.h"

#include <array>

namespace velmora {

namespace {

// A block of GBK cells with consecutive private-use characters: leads from `first_lead`
// to `last_lead`, in each the trail bytes from `first_trail` to `last_trail` (0x7F, never a
// trail byte, is passed over), from `first_character` on.
struct Block {
    unsigned char first_lead;
    unsigned char last_lead;
    unsigned char first_trail;
    unsigned char last_trail;
    char32_t first_character;

    unsigned cells_per_lead() const {
        const unsigned span = last_trail - first_trail + 1u;
        return first_trail < 0x7f && last_trail > 0x7f ? span - 1 : span;
    }
    unsigned size() const { return (last_lead - first_lead + 1u) * cells_per_lead(); }
    bool holds(GbkPair pair) const {
        return pair.lead >= first_lead && pair.lead <= last_lead && pair.trail >= first_trail &&
               pair.trail <= last_trail && pair.trail != 0x7f;
    }
    char32_t character(GbkPair pair) const {
        const unsigned column =
            pair.trail - first_trail - (pair.trail > 0x7f && first_trail < 0x7f);
        return first_character + (pair.lead - first_lead) * cells_per_lead() + column;
    }
    GbkPair pair(char32_t character) const {
        const unsigned offset = character - first_character;
        unsigned trail = first_trail + offset % cells_per_lead();
        if (first_trail < 0x7f && trail >= 0x7f) {
            ++trail;
        }
        return {static_cast<unsigned char>(first_lead + offset / cells_per_lead()),
                static_cast<unsigned char>(trail)};
    }
};

// The three user-defined areas, then the empty cells of the symbol rows and the last
// rows, in the order of their bytes.
constexpr std::array<Block, 30> kBlocks{{
    {0xaa, 0xaf, 0xa1, 0xfe, 0xe000}, {0xf8, 0xfe, 0xa1, 0xfe, 0xe234},
    {0xa1, 0xa7, 0x40, 0xa0, 0xe4c6}, {0xa2, 0xa2, 0xab, 0xb0, 0xe766},
    {0xa2, 0xa2, 0xe3, 0xe4, 0xe76c}, {0xa2, 0xa2, 0xef, 0xf0, 0xe76e},
    {0xa2, 0xa2, 0xfd, 0xfe, 0xe770}, {0xa4, 0xa4, 0xf4, 0xfe, 0xe772},
    {0xa5, 0xa5, 0xf7, 0xfe, 0xe77d}, {0xa6, 0xa6, 0xb9, 0xc0, 0xe785},
    {0xa6, 0xa6, 0xd9, 0xdf, 0xe78d}, {0xa6, 0xa6, 0xec, 0xed, 0xe794},
    {0xa6, 0xa6, 0xf3, 0xf3, 0xe796}, {0xa6, 0xa6, 0xf6, 0xfe, 0xe797},
    {0xa7, 0xa7, 0xc2, 0xd0, 0xe7a0}, {0xa7, 0xa7, 0xf2, 0xfe, 0xe7af},
    {0xa8, 0xa8, 0x96, 0xa0, 0xe7bc}, {0xa8, 0xa8, 0xbc, 0xbc, 0xe7c7},
    {0xa8, 0xa8, 0xbf, 0xbf, 0xe7c8}, {0xa8, 0xa8, 0xc1, 0xc4, 0xe7c9},
    {0xa8, 0xa8, 0xea, 0xfe, 0xe7cd}, {0xa9, 0xa9, 0x58, 0x58, 0xe7e2},
    {0xa9, 0xa9, 0x5b, 0x5b, 0xe7e3}, {0xa9, 0xa9, 0x5d, 0x5f, 0xe7e4},
    {0xa9, 0xa9, 0x89, 0x95, 0xe7e7}, {0xa9, 0xa9, 0x97, 0xa3, 0xe7f4},
    {0xa9, 0xa9, 0xf0, 0xfe, 0xe801}, {0xd7, 0xd7, 0xfa, 0xfe, 0xe810},
    {0xfe, 0xfe, 0x50, 0x7e, 0xe815}, {0xfe, 0xfe, 0x80, 0xa0, 0xe844},
}};

}  // namespace

std::optional<char32_t> gbk_private_use_character(GbkPair pair) {
    for (const Block& block : kBlocks) {
        if (block.holds(pair)) {
            return block.character(pair);
        }
    }
    return std::nullopt;
}

std::optional<GbkPair> gbk_private_use_pair(char32_t character) {
    for (const Block& block : kBlocks) {
        if (character >= block.first_character &&
            character < block.first_character + block.size()) {
            return block.pair(character);
        }
    }
    return std::nullopt;
}

}  // namespace velmora
