// The operations the logic performs on the main window's controls, addressed by the
// controls' names (GBK texts, see control_names.h). Two implementations exist: the real
// window over either toolkit (app/window/window_controls.h) and an in-memory one
// (memory_controls.h) for the run without a window and for the logic's tests.
//
// Index bases: list rows and columns are 0-based, tab pages 1-based. Failures are
// reported only through results: the empty text, -1, false.
//
// Every operation may be called from any thread. An implementation bound to a window
// thread carries the call out there and waits for it; once shutdown has begun it
// returns the empty result at once.
#pragma once

#include <functional>
#include <optional>

#include "base/types.h"

namespace velmora {

// Told of every real change of a record list row's check box, the user's or a program's,
// never of a cell-text change: page 1 … 6 (超级列表框1 … 6), row 0-based, state 1 ticked
// or 0 not. The window implementation calls it on the window thread.
using RowCheckHandler = std::function<void(int page, int row, int state)>;

class Controls {
  public:
    virtual ~Controls() = default;

    // --- Report lists (超级列表框1 … 超级列表框6) ---
    // The cell's whole text; the empty text for a missing row, column or list.
    virtual Text list_cell_text(const Text& list, int row, int column = 0) = 0;
    // Writing a cell of a row that does not exist has no effect.
    virtual void set_list_cell_text(const Text& list, int row, int column = 0,
                                    const Text& text = {}) = 0;
    // Inserts a row whose column 0 holds `caption`. No position, or a negative one,
    // appends. Returns the new row's index, -1 on failure.
    virtual int insert_list_row(const Text& list, std::optional<int> position = std::nullopt,
                                const Text& caption = {}) = 0;
    virtual int list_row_count(const Text& list) = 0;
    virtual bool delete_list_row(const Text& list, int row) = 0;
    // Reads the row count n once, then deletes row 0 n times.
    void clear_list(const Text& list) {
        const int count = list_row_count(list);
        for (int i = 0; i < count; ++i) {
            delete_list_row(list, 0);
        }
    }
    // The tick of a row's check box (false for a missing row).
    virtual bool list_row_checked(const Text& list, int row) = 0;
    virtual void set_list_row_checked(const Text& list, int row, bool checked) = 0;
    // Replaces the handler of the row check-box event of all six lists (empty: none).
    virtual void set_row_check_handler(RowCheckHandler handler) = 0;

    // --- Edit boxes (ID1, Token, 运行栏) ---
    virtual Text edit_text(const Text& edit) = 0;
    virtual void set_edit_text(const Text& edit, const Text& text) = 0;
    // Appends each text in turn at the end of the box. A multi-line box (运行栏) keeps its
    // newest lines (see log_view_limit.h); its view and caret follow the end unless the
    // user scrolled away from it, and then stay on the lines shown.
    virtual void append_to_edit(const Text& edit, const TextList& texts) = 0;

    // --- Check box (选择框1) ---
    virtual bool check_box_checked(const Text& check_box) = 0;
    virtual void set_check_box_checked(const Text& check_box, bool checked) = 0;

    // --- Tab control (选择夹1); pages are 1-based ---
    // The empty text when the page does not exist.
    virtual Text tab_caption(const Text& tabs, int page) = 0;
    // False when the page does not exist or the control refuses.
    virtual bool set_tab_caption(const Text& tabs, int page, const Text& caption) = 0;
    // The current page, counted from 0; -1 when there is none.
    virtual int current_tab(const Text& tabs) = 0;

    // --- Any control: whether it takes input (false for an unknown name) ---
    virtual bool control_enabled(const Text& control) = 0;
    virtual void set_control_enabled(const Text& control, bool enabled) = 0;

    // --- The window itself ---
    virtual Text window_title() = 0;
    virtual void set_window_title(const Text& title) = 0;

    // --- Dialogs and shell ---
    // Shows a task-modal box with an OK button. Returns the pressed button mapped as
    // 0 OK, 1 Cancel, 2 Abort, 3 Retry, 4 Ignore, 5 Yes, 6 No.
    virtual int message_box(const Text& message, int flags = 0, const Text& caption = {}) = 0;
    // Opens the address in the desktop's default browser; nothing is reported.
    virtual void open_web_address(const Text& address) = 0;
};

}  // namespace velmora
