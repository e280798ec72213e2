#include "app/win32/win32_widgets.h"

#include <string>

#include "app/win32/edit_box_append.h"
#include "app/win32/message_box.h"
#include "app/win32/record_list.h"
#include "base/controls/control_names.h"
#include "base/win32/wide_text.h"

namespace velmora {

namespace {

using Kind = MainWindow::Kind;

Text window_text(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text_from_wide(text);
}

void set_window_text(HWND window, const Text& text) {
    SetWindowTextW(window, wide_text(text).c_str());
}

}  // namespace

HWND Win32Widgets::find(const Text& name, Kind kind) const {
    const MainWindow::Control* control = window_.find(name);
    return control != nullptr && control->kind == kind ? control->handle : nullptr;
}

// --- Lists ---

Text Win32Widgets::cell_text(const Text& list, int row, int column) {
    HWND view = find(list, Kind::list);
    return view != nullptr ? record_list::cell_text(view, row, column) : Text();
}

void Win32Widgets::set_cell_text(const Text& list, int row, int column, const Text& text) {
    if (HWND view = find(list, Kind::list)) {
        record_list::set_cell_text(view, row, column, text);
    }
}

int Win32Widgets::insert_row(const Text& list, int position, const Text& caption) {
    HWND view = find(list, Kind::list);
    return view != nullptr ? record_list::insert_row(view, position, caption) : -1;
}

int Win32Widgets::row_count(const Text& list) {
    HWND view = find(list, Kind::list);
    return view != nullptr ? record_list::row_count(view) : 0;
}

bool Win32Widgets::delete_row(const Text& list, int row) {
    HWND view = find(list, Kind::list);
    return view != nullptr && record_list::delete_row(view, row);
}

bool Win32Widgets::row_checked(const Text& list, int row) {
    HWND view = find(list, Kind::list);
    return view != nullptr && record_list::row_checked(view, row);
}

void Win32Widgets::set_row_checked(const Text& list, int row, bool checked) {
    if (HWND view = find(list, Kind::list)) {
        record_list::set_row_checked(view, row, checked);
    }
}

// --- Edit boxes ---

Text Win32Widgets::edit_text(const Text& edit) {
    HWND box = find(edit, Kind::edit);
    return box != nullptr ? window_text(box) : Text();
}

void Win32Widgets::set_edit_text(const Text& edit, const Text& text) {
    if (HWND box = find(edit, Kind::edit)) {
        set_window_text(box, text);
    }
}

void Win32Widgets::append_to_edit(const Text& edit, const TextList& texts) {
    if (HWND box = find(edit, Kind::edit)) {
        // The run log keeps its newest lines only, so months of running leave the
        // window's memory flat; the history file keeps every line.
        edit_box::append(box, texts, edit == control::run_log());
    }
}

// --- Check box ---

bool Win32Widgets::check_box_checked(const Text& check_box) {
    HWND box = find(check_box, Kind::check_box);
    return box != nullptr && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Widgets::set_check_box_checked(const Text& check_box, bool checked) {
    if (HWND box = find(check_box, Kind::check_box)) {
        SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

// --- Tab control ---

Text Win32Widgets::tab_caption(const Text& tabs, int page) {
    return find(tabs, Kind::tabs) != nullptr ? window_.tabs().caption(page) : Text();
}

bool Win32Widgets::set_tab_caption(const Text& tabs, int page, const Text& caption) {
    return find(tabs, Kind::tabs) != nullptr && window_.tabs().set_caption(page, caption);
}

int Win32Widgets::current_tab(const Text& tabs) {
    return find(tabs, Kind::tabs) != nullptr ? window_.tabs().current() : -1;
}

// --- Any control, the window ---

bool Win32Widgets::control_enabled(const Text& control) {
    const MainWindow::Control* found = window_.find(control);
    return found != nullptr && IsWindowEnabled(found->handle) != FALSE;
}

void Win32Widgets::set_control_enabled(const Text& control, bool enabled) {
    if (const MainWindow::Control* found = window_.find(control)) {
        EnableWindow(found->handle, enabled ? TRUE : FALSE);
    }
}

Text Win32Widgets::window_title() {
    return window_.handle() != nullptr ? window_text(window_.handle()) : Text();
}

void Win32Widgets::set_window_title(const Text& title) {
    if (window_.handle() != nullptr) {
        set_window_text(window_.handle(), title);
    }
}

int Win32Widgets::message_box(const Text& message, int flags, const Text& caption) {
    return show_message_box(window_.handle(), message, flags, caption);
}

}  // namespace velmora
