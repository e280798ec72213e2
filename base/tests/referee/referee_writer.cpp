// Writes the referee cases with their outcomes under this build's implementations, one
// case a line: kind, input and outcome separated by tabs.
//   base_referee_writer <file>
#include <cstdio>
#include <fstream>

#include "base/tests/referee/referee_outcome.h"

int main(int argc, char** argv) {
    using namespace velmora::referee;
    if (argc != 2) {
        std::fprintf(stderr, "usage: base_referee_writer <file>\n");
        return 2;
    }
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    for (const RefereeCase& test_case : generate_cases()) {
        file << kind_name(test_case.kind) << '\t' << input_field(test_case) << '\t'
             << outcome_field(test_case) << '\n';
    }
    file.close();
    if (!file) {
        std::fprintf(stderr, "base_referee_writer: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
