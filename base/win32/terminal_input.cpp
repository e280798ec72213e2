#include "base/system/terminal_input.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

namespace velmora {

namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI note_interrupt(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        interrupted = true;
        return TRUE;
    }
    return FALSE;
}

// While alive: Ctrl+C marks the read as interrupted instead of ending the process, and
// the console echoes nothing when asked; both are set back at the end.
class ConsoleForOneLine {
  public:
    explicit ConsoleForOneLine(bool hidden) : input_(GetStdHandle(STD_INPUT_HANDLE)) {
        interrupted = false;
        SetConsoleCtrlHandler(note_interrupt, TRUE);
        if (hidden && GetConsoleMode(input_, &previous_mode_)) {
            restore_mode_ = SetConsoleMode(input_, previous_mode_ & ~ENABLE_ECHO_INPUT) != 0;
        }
    }
    ~ConsoleForOneLine() {
        if (restore_mode_) {
            SetConsoleMode(input_, previous_mode_);
            std::fputs("\n", stderr);  // the line end the hidden typing did not show
        }
        SetConsoleCtrlHandler(note_interrupt, FALSE);
    }
    ConsoleForOneLine(const ConsoleForOneLine&) = delete;
    ConsoleForOneLine& operator=(const ConsoleForOneLine&) = delete;

  private:
    HANDLE input_;
    DWORD previous_mode_ = 0;
    bool restore_mode_ = false;
};

}  // namespace

bool standard_input_is_terminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

InputLine read_input_line(bool hidden) {
    const bool console = standard_input_is_terminal();
    ConsoleForOneLine guard(hidden && console);
    InputLine line;
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char byte = 0;
    DWORD got = 0;
    while (ReadFile(input, &byte, 1, &got, nullptr) && got == 1) {
        if (byte == '\n') {
            if (!line.text.empty() && line.text.back() == '\r') {
                line.text.pop_back();
            }
            line.end = InputEnd::line;
            return line;
        }
        line.text += byte;
    }
    if (interrupted) {
        return {InputEnd::interrupted, {}};
    }
    return line.text.empty() ? InputLine{} : InputLine{InputEnd::line, line.text};
}

}  // namespace velmora
