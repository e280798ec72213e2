// What a window toolkit does with its own widgets, on the window thread only: the
// operations of Controls less everything both toolkits share (the call onto the window
// thread, the shutdown gate, the row-check handler, the default caption), which
// WindowControls adds above. Controls are found by their names; a missing control, or
// one of another kind, gives the empty result.
#pragma once

#include "base/types.h"

namespace velmora {

class WindowWidgets {
  public:
    virtual ~WindowWidgets() = default;

    virtual Text cell_text(const Text& list, int row, int column) = 0;
    virtual void set_cell_text(const Text& list, int row, int column, const Text& text) = 0;
    // A negative position appends; -1 when the list is missing.
    virtual int insert_row(const Text& list, int position, const Text& caption) = 0;
    virtual int row_count(const Text& list) = 0;
    virtual bool delete_row(const Text& list, int row) = 0;
    virtual bool row_checked(const Text& list, int row) = 0;
    virtual void set_row_checked(const Text& list, int row, bool checked) = 0;

    virtual Text edit_text(const Text& edit) = 0;
    virtual void set_edit_text(const Text& edit, const Text& text) = 0;
    virtual void append_to_edit(const Text& edit, const TextList& texts) = 0;

    virtual bool check_box_checked(const Text& check_box) = 0;
    virtual void set_check_box_checked(const Text& check_box, bool checked) = 0;

    virtual Text tab_caption(const Text& tabs, int page) = 0;
    virtual bool set_tab_caption(const Text& tabs, int page, const Text& caption) = 0;
    virtual int current_tab(const Text& tabs) = 0;

    virtual bool control_enabled(const Text& control) = 0;
    virtual void set_control_enabled(const Text& control, bool enabled) = 0;

    virtual Text window_title() = 0;
    virtual void set_window_title(const Text& title) = 0;

    // Task-modal over the window, with the caption given.
    virtual int message_box(const Text& message, int flags, const Text& caption) = 0;
};

}  // namespace velmora
