// The platform is the referee: what our Linux implementations (iconv for GBK, PCRE2 for
// the RegExp class) gave for the random cases, written by base_referee_writer, must be what
// code page 936 and the platform's "VBScript.RegExp" give for the same cases here.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/tests/referee/referee_outcome.h"

namespace velmora::referee {
namespace {

struct WrittenCase {
    std::string kind;
    std::string input;
    std::string outcome;
};

std::vector<WrittenCase> read_written_cases() {
    std::vector<WrittenCase> cases;
    std::ifstream file(VELMORA_REFEREE_CASES_FILE, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        const std::size_t first_tab = line.find('\t');
        const std::size_t second_tab = line.find('\t', first_tab + 1);
        if (first_tab == std::string::npos || second_tab == std::string::npos) {
            ADD_FAILURE() << "malformed line: " << line;
            continue;
        }
        cases.push_back({line.substr(0, first_tab),
                         line.substr(first_tab + 1, second_tab - first_tab - 1),
                         line.substr(second_tab + 1)});
    }
    return cases;
}

// The platform narrows some 400 characters outside GBK to look-alikes ("best fit": U+00AA
// to "a", U+00A2 to the full-width cent sign) and U+F8F5 to the lone byte 0xFF, which it
// does not widen back; iconv has no such forms and the Linux build skips these characters.
bool narrowed_only_by_platform(char16_t unit) {
    const auto wide = static_cast<wchar_t>(unit);
    char narrow[4];
    BOOL defaulted_without_best_fit = FALSE;
    BOOL defaulted = FALSE;
    WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &wide, 1, narrow, sizeof narrow, nullptr,
                        &defaulted_without_best_fit);
    WideCharToMultiByte(936, 0, &wide, 1, narrow, sizeof narrow, nullptr, &defaulted);
    return unit == 0xf8f5 || (defaulted_without_best_fit && !defaulted);
}

// The case as the Linux build can be expected to match it: without those characters.
RefereeCase comparable(RefereeCase test_case, std::size_t& adjusted) {
    if (test_case.kind == CaseKind::wide &&
        std::erase_if(test_case.wide, narrowed_only_by_platform) > 0) {
        ++adjusted;
    }
    return test_case;
}

class Referee : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        generated_ = new std::vector<RefereeCase>(generate_cases());
        written_ = new std::vector<WrittenCase>(read_written_cases());
    }
    static void TearDownTestSuite() {
        delete generated_;
        delete written_;
    }

    // Every case of `kind` whose outcome here differs from the written one, reported with
    // its input; returns how many cases of that kind ran.
    static std::size_t check_kind(CaseKind kind) {
        EXPECT_EQ(written_->size(), generated_->size()) << "the writer is from another build";
        std::size_t ran = 0;
        std::size_t mismatches = 0;
        std::size_t adjusted = 0;
        for (std::size_t i = 0; i < generated_->size() && i < written_->size(); ++i) {
            const RefereeCase& test_case = (*generated_)[i];
            if (test_case.kind != kind) {
                continue;
            }
            ++ran;
            const WrittenCase& written = (*written_)[i];
            const std::string outcome = outcome_field(comparable(test_case, adjusted));
            if (outcome != written.outcome && ++mismatches <= 20) {
                ADD_FAILURE() << "case " << i << " " << written.kind << " " << written.input
                              << "\n  Linux:    " << written.outcome << "\n  platform: " << outcome;
            }
        }
        EXPECT_EQ(mismatches, 0u) << "of " << ran << " " << kind_name(kind) << " cases";
        std::printf("%zu %s cases, %zu without characters only the platform narrows, %zu differ\n",
                    ran, kind_name(kind), adjusted, mismatches);
        return ran;
    }

    static std::vector<RefereeCase>* generated_;
    static std::vector<WrittenCase>* written_;
};

std::vector<RefereeCase>* Referee::generated_ = nullptr;
std::vector<WrittenCase>* Referee::written_ = nullptr;

// Both builds draw the same cases from the same seed, whatever their compiler and library.
TEST_F(Referee, CasesGeneratedHereAreTheOnesTheLinuxRunWrote) {
    ASSERT_EQ(written_->size(), generated_->size());
    for (std::size_t i = 0; i < generated_->size(); ++i) {
        ASSERT_EQ((*written_)[i].kind, kind_name((*generated_)[i].kind)) << "case " << i;
        ASSERT_EQ((*written_)[i].input, input_field((*generated_)[i])) << "case " << i;
    }
}

TEST_F(Referee, GbkTextWidensAndNarrowsAsCodePage936) {
    EXPECT_EQ(check_kind(CaseKind::narrow), kDefaultCounts.narrow);
}

TEST_F(Referee, WideTextNarrowsAndWidensAsCodePage936) {
    EXPECT_EQ(check_kind(CaseKind::wide), kDefaultCounts.wide);
}

TEST_F(Referee, CharsetPatternMatchesAsThePlatformRegExp) {
    EXPECT_EQ(check_kind(CaseKind::regexp), kDefaultCounts.regexp);
}

}  // namespace
}  // namespace velmora::referee
