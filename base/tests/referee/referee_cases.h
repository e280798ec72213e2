// Random cases for checking our GBK conversion and our RegExp class against the platform's:
// the Linux run computes each case's outcome with our implementations and writes it, the
// Windows run regenerates the same cases from the same seed and computes them again with
// code page 936 and the platform's "VBScript.RegExp".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/types.h"

namespace velmora::referee {

enum class CaseKind {
    narrow,  // GBK-ish bytes: widened, then narrowed again
    wide,    // UTF-16 units: narrowed, then widened again
    regexp,  // the charset pattern run over a subject
};

struct RegExpSwitches {
    bool ignore_case = true;
    bool global = true;
    bool multiline = true;
};

struct RefereeCase {
    CaseKind kind;
    Text narrow;          // narrow: the bytes; regexp: the subject
    std::u16string wide;  // wide: the units
    RegExpSwitches switches;
};

struct CaseCounts {
    std::size_t narrow;
    std::size_t wide;
    std::size_t regexp;
};

inline constexpr CaseCounts kDefaultCounts{3000, 3000, 1000};

// The cases of every kind, in a fixed order, the same for the same counts everywhere.
std::vector<RefereeCase> generate_cases(CaseCounts counts = kDefaultCounts);

// The pattern the response decoder searches a reply's start with.
inline constexpr const char* kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

}  // namespace velmora::referee
