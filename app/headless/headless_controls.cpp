#include "app/headless/headless_controls.h"

#include <cstdio>

#include "base/controls/control_names.h"
#include "base/date_time.h"
#include "base/gbk.h"
#include "base/system/local_clock.h"
#include "base/system/terminal_text.h"
#include "base/text_excerpt.h"
#include "update/history_file.h"

namespace velmora {

void print_line(std::FILE* stream, const Text& line) {
    std::fputs(text_for_terminal(line + "\n").c_str(), stream);
    std::fflush(stream);
}

void complain(const Text& history_file, const Text& line) {
    print_line(stderr, "velmora: " + line);
    if (!history_file.empty()) {
        // Stamped as the run log's lines, by the machine's clock: the network may be
        // what failed.
        HistoryFile(history_file)
            .append("[" + date_time_to_text(machine_now_utc8()) + gbk("]：") + line);
    }
}

void HeadlessControls::append_to_edit(const Text& edit, const TextList& texts) {
    MemoryControls::append_to_edit(edit, texts);
    if (edit != control::run_log()) {
        return;
    }
    for (Text text : texts) {
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        print_line(stdout, text);
    }
}

int HeadlessControls::message_box(const Text& message, int flags, const Text& caption) {
    MemoryControls::message_box(message, flags, caption);
    complain(history_file_, one_line_excerpt(message, message.size()));
    return 0;
}

}  // namespace velmora
