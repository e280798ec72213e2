// Lines typed on the terminal, or piped into standard input, for a set-up from a shell.
#pragma once

#include <string>

namespace velmora {

// Whether standard input is a terminal someone types on.
bool standard_input_is_terminal();

enum class InputEnd { line, end_of_input, interrupted };

struct InputLine {
    InputEnd end = InputEnd::end_of_input;
    std::string text;  // the line's bytes without its line end; empty unless `line`
};

// One line of standard input. With `hidden` and a terminal, what is typed is not shown
// (a token); the terminal is set back as it was however the read ends. On a terminal an
// interrupt (Ctrl+C) ends the read as `interrupted` instead of the process.
InputLine read_input_line(bool hidden);

}  // namespace velmora
