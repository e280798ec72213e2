#include "app/win32/edit_box_append.h"

#include <algorithm>
#include <string>

#include "base/controls/log_view_limit.h"
#include "base/win32/wide_text.h"

namespace velmora::edit_box {

namespace {

int text_length(HWND box) {
    return GetWindowTextLengthW(box);
}

void select(HWND box, int start, int end) {
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}

// Whether the last line is in view: the box keeps its vertical scroll bar's range at its
// line count and the bar's page at the lines it shows.
bool shows_end(HWND box) {
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (!GetScrollInfo(box, SB_VERT, &scroll)) {
        return true;
    }
    return scroll.nPos + static_cast<int>(scroll.nPage) > scroll.nMax;
}

int first_shown_character(HWND box) {
    const auto line = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
    return static_cast<int>(SendMessageW(box, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
}

void scroll_to_character(HWND box, int character) {
    const auto wanted = SendMessageW(box, EM_LINEFROMCHAR, static_cast<WPARAM>(character), 0);
    const auto shown = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageW(box, EM_LINESCROLL, 0, static_cast<LPARAM>(wanted - shown));
}

// Removes the oldest lines beyond the bound, in whole blocks; the number of characters
// removed from the front.
int drop_oldest_lines(HWND box) {
    // The box's count of rows, less the row after the last line break, is never below
    // its number of lines (a wrapped line takes several rows): below the bound, the text
    // need not be read.
    const auto rows = SendMessageW(box, EM_GETLINECOUNT, 0, 0) - 1;
    if (log_lines_to_drop(static_cast<std::size_t>(std::max<LRESULT>(rows, 0))) == 0) {
        return 0;
    }
    std::wstring text(static_cast<std::size_t>(text_length(box)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
    const auto cut = static_cast<int>(log_characters_to_drop(text));
    if (cut == 0) {
        return 0;
    }
    select(box, 0, cut);
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    return cut;
}

}  // namespace

void append(HWND box, const TextList& texts, bool bounded) {
    const bool following = shows_end(box);
    DWORD selection_start = 0;
    DWORD selection_end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&selection_start),
                 reinterpret_cast<LPARAM>(&selection_end));
    const int first_shown = first_shown_character(box);
    // Appending moves the view to the end; a view that stays put must not flicker there.
    if (!following) {
        SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    }

    for (const Text& text : texts) {
        const int end = text_length(box);
        select(box, end, end);
        SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide_text(text).c_str()));
    }
    const int dropped = bounded ? drop_oldest_lines(box) : 0;

    if (following) {
        const int end = text_length(box);
        select(box, end, end);
        SendMessageW(box, EM_SCROLLCARET, 0, 0);
        return;
    }
    // Text dropped from the front moves what stays forward; where the view or the
    // selection was on dropped text, the oldest line kept takes its place.
    const auto moved = [dropped](int position) { return std::max(position - dropped, 0); };
    select(box, moved(static_cast<int>(selection_start)), moved(static_cast<int>(selection_end)));
    scroll_to_character(box, moved(first_shown));
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    // The text and the scroll bar, which is drawn in the frame.
    RedrawWindow(box, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

}  // namespace velmora::edit_box
