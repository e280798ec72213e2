// Where a set-up from a shell speaks and listens: the terminal (or the pipes standing
// in for it) in the program, a script in the tests.
#pragma once

#include <string>

#include "base/system/terminal_input.h"
#include "base/types.h"

namespace velmora {

class ShellConsole {
  public:
    virtual ~ShellConsole() = default;
    // Standard output; GBK text, written in the terminal's encoding.
    virtual void print(const Text& text) = 0;
    // Bytes already in the platform's text encoding (the history file's lines).
    virtual void print_local(const std::string& text) = 0;
    // One line on standard error (GBK, without its line end).
    virtual void complain(const Text& line) = 0;
    // Whether someone types at a terminal (then each line is asked for by a prompt).
    virtual bool interactive() = 0;
    // Shows `prompt` when interactive, then reads one line (see read_input_line).
    virtual InputLine read_line(const Text& prompt, bool hidden) = 0;
};

// The process's standard input, output and error.
class StandardConsole : public ShellConsole {
  public:
    void print(const Text& text) override;
    void print_local(const std::string& text) override;
    void complain(const Text& line) override;
    bool interactive() override;
    InputLine read_line(const Text& prompt, bool hidden) override;
};

}  // namespace velmora
