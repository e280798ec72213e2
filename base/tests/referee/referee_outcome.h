// A referee case as one line of text: its kind, its input and its outcome computed by the
// implementations this build has, all printable, texts and units in hexadecimal.
#pragma once

#include <string>

#include "base/tests/referee/referee_cases.h"

namespace velmora::referee {

const char* kind_name(CaseKind kind);
// The case's input, which regenerating the case on another build must reproduce.
std::string input_field(const RefereeCase& test_case);
// narrow: its wide form and that narrowed again; wide: its narrow form and that widened
// again; regexp: Test, the Execute collection (per match FirstIndex, Length, Value,
// SubMatches) and Replace of every match by "[$1]".
std::string outcome_field(const RefereeCase& test_case);

}  // namespace velmora::referee
