#include <cstdio>

#include "app/shell/shell_console.h"
#include "base/system/terminal_text.h"

namespace velmora {

namespace {

void write_out(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

void StandardConsole::print(const Text& text) {
    write_out(text_for_terminal(text));
}

void StandardConsole::print_local(const std::string& text) {
    write_out(local_text_for_terminal(text));
}

void StandardConsole::complain(const Text& line) {
    std::fputs(text_for_terminal("velmora: " + line + "\n").c_str(), stderr);
    std::fflush(stderr);
}

bool StandardConsole::interactive() {
    return standard_input_is_terminal();
}

InputLine StandardConsole::read_line(const Text& prompt, bool hidden) {
    if (interactive()) {
        std::fputs(text_for_terminal(prompt).c_str(), stderr);
        std::fflush(stderr);
    }
    InputLine line = read_input_line(hidden);
    if (line.end == InputEnd::line) {
        line.text = text_from_terminal(line.text);
    } else if (line.end == InputEnd::interrupted && interactive()) {
        std::fputs("\n", stderr);  // after the ^C the terminal shows
    }
    return line;
}

}  // namespace velmora
