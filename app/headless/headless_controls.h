// The window's controls for a run without a window: held in memory as in the tests, but
// every run-log line also goes to standard output (one line each, UTF-8) and whatever
// a window would show in a box goes to standard error as one line, and into the history
// file, where the reader of a service's run (which has no standard error) looks.
#pragma once

#include <utility>

#include "base/controls/memory_controls.h"

namespace velmora {

class HeadlessControls : public MemoryControls {
  public:
    // `history_file`: the history file's path; empty for none.
    explicit HeadlessControls(Text history_file) : history_file_(std::move(history_file)) {}
    void append_to_edit(const Text& edit, const TextList& texts) override;
    // Answered as OK at once: nobody is there to press it.
    int message_box(const Text& message, int flags = 0, const Text& caption = {}) override;

  private:
    const Text history_file_;
};

// "velmora: " and `line` (GBK, one line) on standard error, and `line` in the history file
// at `history_file` unless that is empty.
void complain(const Text& history_file, const Text& line);

// Writes one line (GBK, without its line break) to the stream as UTF-8 and flushes it.
void print_line(std::FILE* stream, const Text& line);

}  // namespace velmora
