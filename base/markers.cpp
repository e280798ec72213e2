#include "base/markers.h"

#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/text.h"

namespace velmora {

namespace {

Text with_quotes(const Text& marker) {
    return replace_text(marker, gbk("#引号"), "\"");
}

}  // namespace

Text text_between(const Text& text, const Text& left, const Text& right, int start,
                  bool ignore_case) {
    const Text left_marker = with_quotes(left);
    const Text right_marker = with_quotes(right);
    const int p = find_text(text, left_marker, start, ignore_case);
    if (p == -1) {
        return {};
    }
    const int q = p + text_length(left_marker);
    const int r = find_text(text, right_marker, q, ignore_case);
    if (r == -1) {
        return {};
    }
    return text_middle(text, q, r - q);
}

int all_texts_between(const Text& text, const Text& left, const Text& right, TextList& pieces,
                      bool ignore_case, int max_length, const Text& prefix, const Text& suffix,
                      int keep_left, int keep_right, int start) {
    pieces.clear();
    // An empty left marker matches without moving on, so the scan would never end.
    if (left.empty()) {
        return 0;
    }
    int pos = start;
    while (true) {
        const int p = find_text(text, left, pos, ignore_case);
        if (p == -1) {
            break;
        }
        pos = p + text_length(left);
        const int r = find_text(text, right, pos, ignore_case);
        if (r == -1) {
            break;
        }
        Text item = join_text(prefix, text_middle(text, pos, r - pos), suffix);
        if (keep_left == 1) {
            item = join_text(left, item);
        }
        if (keep_right == 1) {
            item = join_text(item, right);
        }
        if (max_length == 0 || text_length(item) < max_length) {
            pieces.push_back(std::move(item));
        }
        process_events();
    }
    return static_cast<int>(pieces.size());
}

}  // namespace velmora
