// The record lists: report-mode list views with a check box in front of every row and the
// six columns of the layout (app/window/window_layout.h). Rows and columns are 0-based;
// a row or column that does not exist gives the empty result and is never written.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>

#include "app/window/window_layout.h"
#include "base/types.h"

namespace velmora::record_list {

constexpr int kColumnCount = control::column::kCount;

// A list at `area` (in `parent`'s client coordinates) with `columns`, not yet visible.
HWND create(HWND parent, const RECT& area, const std::array<layout::Column, kColumnCount>& columns,
            HFONT font);

Text cell_text(HWND list, int row, int column);
void set_cell_text(HWND list, int row, int column, const Text& text);
// Inserts a row captioned `caption` at `position` (a negative one appends); the new row's
// index, -1 on failure.
int insert_row(HWND list, int position, const Text& caption);
int row_count(HWND list);
bool delete_row(HWND list, int row);
bool row_checked(HWND list, int row);
void set_row_checked(HWND list, int row, bool checked);

// The new tick (1 or 0) when a change notification of `list` is a real change of a row's
// check box; -1 for every other change (selection, focus, text, a row getting its box).
int check_change(const NMLISTVIEW& change);

}  // namespace velmora::record_list
