#include "app/win32/win32_controls.h"

#include <shellapi.h>

#include <string>
#include <utility>

#include "app/win32/edit_box_append.h"
#include "app/win32/message_box.h"
#include "app/win32/record_list.h"
#include "base/control_names.h"
#include "base/gbk.h"
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

Win32Controls::Win32Controls(MainWindow& window)
    : window_(window), address_opener_([](const Text& address) {
          ShellExecuteW(nullptr, L"open", wide_text(address).c_str(), nullptr, nullptr,
                        SW_SHOWNORMAL);
      }) {
    window_.on_row_check_changed(
        [this](int page, int row, int state) { report_row_check(page, row, state); });
    close_listener_ = window_.add_close_listener([this] { begin_shutdown(); });
    if (window_.handle() == nullptr) {
        begin_shutdown();
    }
}

Win32Controls::~Win32Controls() {
    begin_shutdown();
    window_.on_row_check_changed(nullptr);
    window_.remove_close_listener(close_listener_);
}

HWND Win32Controls::find(const Text& name, Kind kind) const {
    const MainWindow::Control* control = window_.find(name);
    return control != nullptr && control->kind == kind ? control->handle : nullptr;
}

void Win32Controls::begin_shutdown() {
    calls_.begin_shutdown();
}

void Win32Controls::set_address_opener(AddressOpener opener) {
    address_opener_.set(std::move(opener));
}

void Win32Controls::set_row_check_handler(RowCheckHandler handler) {
    row_check_handler_.set(std::move(handler));
}

void Win32Controls::report_row_check(int page, int row, int state) {
    if (calls_.shutting_down()) {
        return;
    }
    if (const RowCheckHandler handler = row_check_handler_.get()) {
        handler(page, row, state);
    }
}

// --- Lists ---

Text Win32Controls::list_cell_text(const Text& list, int row, int column) {
    return calls_.run(Text(), [this, list, row, column] {
        HWND view = find(list, Kind::list);
        return view != nullptr ? record_list::cell_text(view, row, column) : Text();
    });
}

void Win32Controls::set_list_cell_text(const Text& list, int row, int column, const Text& text) {
    calls_.run([this, list, row, column, text] {
        if (HWND view = find(list, Kind::list)) {
            record_list::set_cell_text(view, row, column, text);
        }
    });
}

int Win32Controls::insert_list_row(const Text& list, std::optional<int> position,
                                   const Text& caption) {
    return calls_.run(-1, [this, list, position, caption] {
        HWND view = find(list, Kind::list);
        return view != nullptr ? record_list::insert_row(view, position.value_or(-1), caption) : -1;
    });
}

int Win32Controls::list_row_count(const Text& list) {
    return calls_.run(0, [this, list] {
        HWND view = find(list, Kind::list);
        return view != nullptr ? record_list::row_count(view) : 0;
    });
}

bool Win32Controls::delete_list_row(const Text& list, int row) {
    return calls_.run(false, [this, list, row] {
        HWND view = find(list, Kind::list);
        return view != nullptr && record_list::delete_row(view, row);
    });
}

void Win32Controls::clear_list(const Text& list) {
    int count = list_row_count(list);
    for (int i = 0; i < count; ++i) {
        delete_list_row(list, 0);
    }
}

bool Win32Controls::list_row_checked(const Text& list, int row) {
    return calls_.run(false, [this, list, row] {
        HWND view = find(list, Kind::list);
        return view != nullptr && record_list::row_checked(view, row);
    });
}

void Win32Controls::set_list_row_checked(const Text& list, int row, bool checked) {
    calls_.run([this, list, row, checked] {
        if (HWND view = find(list, Kind::list)) {
            record_list::set_row_checked(view, row, checked);
        }
    });
}

// --- Edit boxes ---

Text Win32Controls::edit_text(const Text& edit) {
    return calls_.run(Text(), [this, edit] {
        HWND box = find(edit, Kind::edit);
        return box != nullptr ? window_text(box) : Text();
    });
}

void Win32Controls::set_edit_text(const Text& edit, const Text& text) {
    calls_.run([this, edit, text] {
        if (HWND box = find(edit, Kind::edit)) {
            set_window_text(box, text);
        }
    });
}

void Win32Controls::append_to_edit(const Text& edit, const TextList& texts) {
    calls_.run([this, edit, texts] {
        if (HWND box = find(edit, Kind::edit)) {
            // The run log keeps its newest lines only, so months of running leave the
            // window's memory flat; the history file keeps every line.
            edit_box::append(box, texts, edit == control::run_log());
        }
    });
}

// --- Check box ---

bool Win32Controls::check_box_checked(const Text& check_box) {
    return calls_.run(false, [this, check_box] {
        HWND box = find(check_box, Kind::check_box);
        return box != nullptr && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    });
}

void Win32Controls::set_check_box_checked(const Text& check_box, bool checked) {
    calls_.run([this, check_box, checked] {
        if (HWND box = find(check_box, Kind::check_box)) {
            SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    });
}

// --- Tab control ---

Text Win32Controls::tab_caption(const Text& tabs, int page) {
    return calls_.run(Text(), [this, tabs, page] {
        return find(tabs, Kind::tabs) != nullptr ? window_.tabs().caption(page) : Text();
    });
}

bool Win32Controls::set_tab_caption(const Text& tabs, int page, const Text& caption) {
    return calls_.run(false, [this, tabs, page, caption] {
        return find(tabs, Kind::tabs) != nullptr && window_.tabs().set_caption(page, caption);
    });
}

int Win32Controls::current_tab(const Text& tabs) {
    return calls_.run(-1, [this, tabs] {
        return find(tabs, Kind::tabs) != nullptr ? window_.tabs().current() : -1;
    });
}

// --- Any control, the window ---

bool Win32Controls::control_enabled(const Text& control) {
    return calls_.run(false, [this, control] {
        const MainWindow::Control* found = window_.find(control);
        return found != nullptr && IsWindowEnabled(found->handle) != FALSE;
    });
}

void Win32Controls::set_control_enabled(const Text& control, bool enabled) {
    calls_.run([this, control, enabled] {
        if (const MainWindow::Control* found = window_.find(control)) {
            EnableWindow(found->handle, enabled ? TRUE : FALSE);
        }
    });
}

Text Win32Controls::window_title() {
    return calls_.run(Text(), [this] {
        return window_.handle() != nullptr ? window_text(window_.handle()) : Text();
    });
}

void Win32Controls::set_window_title(const Text& title) {
    calls_.run([this, title] {
        if (window_.handle() != nullptr) {
            set_window_text(window_.handle(), title);
        }
    });
}

// --- Dialogs and shell ---

int Win32Controls::message_box(const Text& message, int flags, const Text& caption) {
    return calls_.run(0, [this, message, flags, caption] {
        return show_message_box(window_.handle(), message, flags,
                                caption.empty() ? gbk("信息：") : caption);
    });
}

void Win32Controls::open_web_address(const Text& address) {
    calls_.run([this, address] { address_opener_.get()(address); });
}

}  // namespace velmora
