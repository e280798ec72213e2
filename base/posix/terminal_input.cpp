#include "base/system/terminal_input.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>

namespace velmora {

namespace {

std::atomic<bool> interrupted{false};

void note_interrupt(int) {
    interrupted = true;
}

// While alive: Ctrl+C ends a blocked read with EINTR instead of the process, and the
// terminal echoes nothing when asked; both are set back at the end.
class TerminalForOneLine {
  public:
    explicit TerminalForOneLine(bool hidden) {
        struct sigaction on_interrupt {};
        on_interrupt.sa_handler = note_interrupt;
        sigemptyset(&on_interrupt.sa_mask);
        on_interrupt.sa_flags = 0;  // no SA_RESTART: the read must return
        interrupted = false;
        ::sigaction(SIGINT, &on_interrupt, &previous_interrupt_);
        if (hidden && ::tcgetattr(STDIN_FILENO, &previous_mode_) == 0) {
            struct termios quiet = previous_mode_;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            quiet.c_lflag |= ECHONL;
            restore_mode_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
        }
    }
    ~TerminalForOneLine() {
        if (restore_mode_) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &previous_mode_);
        }
        ::sigaction(SIGINT, &previous_interrupt_, nullptr);
    }
    TerminalForOneLine(const TerminalForOneLine&) = delete;
    TerminalForOneLine& operator=(const TerminalForOneLine&) = delete;

  private:
    struct sigaction previous_interrupt_ {};
    struct termios previous_mode_ {};
    bool restore_mode_ = false;
};

}  // namespace

bool standard_input_is_terminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

InputLine read_input_line(bool hidden) {
    std::optional<TerminalForOneLine> terminal;
    if (standard_input_is_terminal()) {
        terminal.emplace(hidden);
    }
    // Byte by byte, so that nothing after the line is taken from a pipe that another
    // reader (the next line's) still needs.
    InputLine line;
    char byte = 0;
    while (true) {
        const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
        if (got < 0 && errno == EINTR && !interrupted) {
            continue;
        }
        if (got < 0 && errno == EINTR) {
            return {InputEnd::interrupted, {}};
        }
        if (got <= 0) {
            // A last line without its line end still counts.
            return line.text.empty() ? InputLine{} : InputLine{InputEnd::line, line.text};
        }
        if (byte == '\n') {
            break;
        }
        line.text += byte;
    }
    if (!line.text.empty() && line.text.back() == '\r') {
        line.text.pop_back();
    }
    line.end = InputEnd::line;
    return line;
}

}  // namespace velmora
