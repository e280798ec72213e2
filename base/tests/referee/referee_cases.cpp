#include "base/tests/referee/referee_cases.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "base/tests/referee/random_source.h"

namespace velmora::referee {

namespace {

constexpr std::uint64_t kSeed = 0x5eed'0936'7e57'ca5e;

void push_byte(Text& text, std::uint32_t byte) {
    text.push_back(static_cast<char>(byte));
}

// A lead byte from [lead_low, lead_high], then a trail byte from [trail_low, trail_high],
// drawn in that order (the order of a call's arguments is unspecified).
void push_pair(RandomSource& random, Text& text, std::uint32_t lead_low, std::uint32_t lead_high,
               std::uint32_t trail_low, std::uint32_t trail_high) {
    push_byte(text, random.between(lead_low, lead_high));
    push_byte(text, random.between(trail_low, trail_high));
}

// One piece of GBK-ish text: characters of every region of the code page (the user-defined
// ones included), ASCII, and the bytes that start no character or end one too early.
void push_narrow_piece(RandomSource& random, Text& text) {
    switch (random.between(0, 8)) {
        case 0:
            push_byte(text, random.between(0x20, 0x7e));
            break;
        case 1:  // control characters, but never the zero byte that ends a text
            push_byte(text, random.chance(90) ? random.between(0x01, 0x1f) : 0x7f);
            break;
        case 2: {  // anywhere in the double-byte range; trail bytes skip 0x7F
            push_byte(text, random.between(0x81, 0xfe));
            const std::uint32_t trail = random.between(0x40, 0xfd);
            push_byte(text, trail >= 0x7f ? trail + 1 : trail);
            break;
        }
        case 3:  // the common ideographs
            push_pair(random, text, 0xb0, 0xf7, 0xa1, 0xfe);
            break;
        case 4:  // symbols, full-width forms, kana, Greek, Cyrillic, pinyin, box drawing
            push_pair(random, text, 0xa1, 0xa9, 0xa1, 0xfe);
            break;
        case 5:  // the user-defined areas
            if (random.chance(50)) {
                push_pair(random, text, 0xa1, 0xa7, 0x40, 0xa0);
            } else if (random.chance(50)) {
                push_pair(random, text, 0xaa, 0xaf, 0xa1, 0xfe);
            } else {
                push_pair(random, text, 0xf8, 0xfe, 0xa1, 0xfe);
            }
            break;
        case 6:  // single bytes of their own
            push_byte(text, random.chance(50) ? 0x80 : 0xff);
            break;
        case 7: {  // a lead byte followed by what cannot be its trail byte
            static constexpr std::array<std::uint32_t, 5> kNoTrail{0x20, 0x30, 0x39, 0x7f, 0xff};
            push_byte(text, random.between(0x81, 0xfe));
            push_byte(text, kNoTrail[random.between(0, kNoTrail.size() - 1)]);
            break;
        }
        default:  // a lead byte whose trail byte a cut removed
            push_byte(text, random.between(0x81, 0xfe));
            break;
    }
}

Text narrow_text(RandomSource& random) {
    Text text;
    const std::uint32_t pieces = random.between(1, 12);
    for (std::uint32_t i = 0; i < pieces; ++i) {
        push_narrow_piece(random, text);
    }
    return text;
}

char16_t unit_between(RandomSource& random, std::uint32_t low, std::uint32_t high) {
    return static_cast<char16_t>(random.between(low, high));
}

// Characters that code pages treat specially: the euro sign, the dots and dashes that
// GBK tables disagree on, the byte-order mark, the replacement character, no-break space.
constexpr std::array<char16_t, 12> kSpecialUnits{0x20ac, 0x00b7, 0x30fb, 0x2014, 0x2015, 0x2225,
                                                 0xfeff, 0xfffd, 0x00a0, 0x0080, 0xf8f5, 0x3000};

// One piece of UTF-16 text: characters in and out of GBK, and surrogates whole or alone.
void push_wide_piece(RandomSource& random, std::u16string& wide) {
    switch (random.between(0, 9)) {
        case 0:
            wide += unit_between(random, 0x01, 0x7f);
            break;
        case 1:  // unified ideographs, all in GBK
            wide += unit_between(random, 0x4e00, 0x9fa5);
            break;
        case 2:  // Latin-1 and Latin Extended, few in GBK
            wide += unit_between(random, 0x80, 0x24f);
            break;
        case 3:  // Greek and Cyrillic
            wide += unit_between(random, 0x391, 0x44f);
            break;
        case 4:  // CJK punctuation, kana and full-width forms
            wide += random.chance(50) ? unit_between(random, 0x3000, 0x30ff)
                                      : unit_between(random, 0xff01, 0xffef);
            break;
        case 5:  // the private-use area that GBK's user-defined areas map to
            wide += unit_between(random, 0xe000, 0xe865);
            break;
        case 6: {  // anywhere in the basic plane outside the surrogates
            const char16_t unit = unit_between(random, 0x80, 0xf7ff);
            wide += unit >= 0xd800 ? static_cast<char16_t>(unit + 0x800) : unit;
            break;
        }
        case 7:  // a supplementary character
            wide += unit_between(random, 0xd800, 0xdbff);
            wide += unit_between(random, 0xdc00, 0xdfff);
            break;
        case 8:  // a surrogate without its partner
            wide += random.chance(50) ? unit_between(random, 0xd800, 0xdbff)
                                      : unit_between(random, 0xdc00, 0xdfff);
            break;
        default:
            wide += kSpecialUnits[random.between(0, kSpecialUnits.size() - 1)];
            break;
    }
}

std::u16string wide_text(RandomSource& random) {
    std::u16string wide;
    const std::uint32_t pieces = random.between(1, 10);
    for (std::uint32_t i = 0; i < pieces; ++i) {
        push_wide_piece(random, wide);
    }
    return wide;
}

// What pages put around and inside a charset declaration. GBK texts are given as bytes so
// that generating a case never depends on a converter.
constexpr std::array<std::string_view, 38> kSubjectPieces{
    "<meta",
    "<META",
    "<Meta",
    "<meta ",
    " http-equiv=\"Content-Type\"",
    " content=\"text/html; ",
    "charset=",
    "CHARSET=",
    "Charset=",
    "charset =",
    "charset",
    "=",
    "\"",
    "'",
    " ",
    ">",
    "/>",
    "utf-8",
    "UTF-8",
    "gb2312",
    "GBK",
    "big5",
    "iso-8859-1",
    "x-",
    "_",
    "-",
    ";",
    "\r",
    "\n",
    "\r\n",
    "\t",
    "<title>",
    "</head>",
    "\xd6\xd0\xce\xc4",  // 中文
    "\xa3\xbd",          // a full-width "="
    "\xa6\xc1\xa6\xd2",  // Greek letters
    "\xa7\xa1\xa7\xd1",  // Cyrillic letters
    "\xa3\xc1\xa3\xe1",  // full-width Latin letters
};

void push_subject_piece(RandomSource& random, Text& subject) {
    const std::uint32_t choice = random.between(0, 9);
    if (choice < 7) {
        subject += kSubjectPieces[random.between(0, kSubjectPieces.size() - 1)];
    } else if (choice == 7) {  // a word of letters of both cases and digits
        const std::uint32_t length = random.between(1, 5);
        for (std::uint32_t i = 0; i < length; ++i) {
            static constexpr std::string_view kWordCharacters =
                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
            subject += kWordCharacters[random.between(0, kWordCharacters.size() - 1)];
        }
    } else if (choice == 8) {
        push_pair(random, subject, 0xb0, 0xf7, 0xa1, 0xfe);
    } else {  // a reply is any bytes, not only GBK
        push_narrow_piece(random, subject);
    }
}

void push_subject_pieces(RandomSource& random, Text& subject, std::uint32_t most) {
    const std::uint32_t pieces = random.between(0, most);
    for (std::uint32_t i = 0; i < pieces; ++i) {
        push_subject_piece(random, subject);
    }
}

constexpr std::array<std::string_view, 4> kMetaOpenings{"<meta", "<META", "<Meta", "<mEtA"};
constexpr std::array<std::string_view, 6> kCharsetKeys{
    "charset=", "charset=", "CHARSET=", "Charset=", "charset", "char set="};

RefereeCase regexp_case(RandomSource& random) {
    RefereeCase test_case{CaseKind::regexp, {}, {}, {}};
    // Half of the cases with the decoder's switches, the rest with any.
    if (random.chance(50)) {
        const bool ignore_case = random.chance(50);
        const bool global = random.chance(50);
        test_case.switches = {ignore_case, global, random.chance(50)};
    }
    Text& subject = test_case.narrow;
    push_subject_pieces(random, subject, 4);
    // Most subjects hold things shaped like declarations, for the pattern to take apart.
    const std::uint32_t declarations = random.between(0, 3);
    for (std::uint32_t i = 0; i < declarations; ++i) {
        subject += kMetaOpenings[random.between(0, kMetaOpenings.size() - 1)];
        push_subject_pieces(random, subject, 2);
        subject += kCharsetKeys[random.between(0, kCharsetKeys.size() - 1)];
        push_subject_pieces(random, subject, 3);
    }
    push_subject_pieces(random, subject, 4);
    return test_case;
}

}  // namespace

std::vector<RefereeCase> generate_cases(CaseCounts counts) {
    RandomSource random(kSeed);
    std::vector<RefereeCase> cases;
    cases.reserve(counts.narrow + counts.wide + counts.regexp);
    for (std::size_t i = 0; i < counts.narrow; ++i) {
        cases.push_back({CaseKind::narrow, narrow_text(random), {}, {}});
    }
    for (std::size_t i = 0; i < counts.wide; ++i) {
        cases.push_back({CaseKind::wide, {}, wide_text(random), {}});
    }
    for (std::size_t i = 0; i < counts.regexp; ++i) {
        cases.push_back(regexp_case(random));
    }
    return cases;
}

}  // namespace velmora::referee
