#include "app/window/window_controls.h"

#include <utility>

#include "base/controls/control_names.h"

namespace velmora {

WindowControls::WindowControls(WindowWidgets& widgets, WindowCallQueue& calls,
                               AddressOpener desktop_opener)
    : widgets_(widgets), calls_(calls), address_opener_(std::move(desktop_opener)) {}

void WindowControls::begin_shutdown() {
    calls_.begin_shutdown();
}

void WindowControls::set_address_opener(AddressOpener opener) {
    address_opener_.set(std::move(opener));
}

void WindowControls::set_row_check_handler(RowCheckHandler handler) {
    row_check_handler_.set(std::move(handler));
}

void WindowControls::report_row_check(int page, int row, int state) {
    if (calls_.shutting_down()) {
        return;
    }
    if (const RowCheckHandler handler = row_check_handler_.get()) {
        handler(page, row, state);
    }
}

// --- Lists ---

Text WindowControls::list_cell_text(const Text& list, int row, int column) {
    return calls_.run(Text(),
                      [this, list, row, column] { return widgets_.cell_text(list, row, column); });
}

void WindowControls::set_list_cell_text(const Text& list, int row, int column, const Text& text) {
    calls_.run(
        [this, list, row, column, text] { widgets_.set_cell_text(list, row, column, text); });
}

int WindowControls::insert_list_row(const Text& list, std::optional<int> position,
                                    const Text& caption) {
    return calls_.run(-1, [this, list, position, caption] {
        return widgets_.insert_row(list, position.value_or(-1), caption);
    });
}

int WindowControls::list_row_count(const Text& list) {
    return calls_.run(0, [this, list] { return widgets_.row_count(list); });
}

bool WindowControls::delete_list_row(const Text& list, int row) {
    return calls_.run(false, [this, list, row] { return widgets_.delete_row(list, row); });
}

bool WindowControls::list_row_checked(const Text& list, int row) {
    return calls_.run(false, [this, list, row] { return widgets_.row_checked(list, row); });
}

void WindowControls::set_list_row_checked(const Text& list, int row, bool checked) {
    calls_.run([this, list, row, checked] { widgets_.set_row_checked(list, row, checked); });
}

// --- Edit boxes ---

Text WindowControls::edit_text(const Text& edit) {
    return calls_.run(Text(), [this, edit] { return widgets_.edit_text(edit); });
}

void WindowControls::set_edit_text(const Text& edit, const Text& text) {
    calls_.run([this, edit, text] { widgets_.set_edit_text(edit, text); });
}

void WindowControls::append_to_edit(const Text& edit, const TextList& texts) {
    calls_.run([this, edit, texts] { widgets_.append_to_edit(edit, texts); });
}

// --- Check box ---

bool WindowControls::check_box_checked(const Text& check_box) {
    return calls_.run(false, [this, check_box] { return widgets_.check_box_checked(check_box); });
}

void WindowControls::set_check_box_checked(const Text& check_box, bool checked) {
    calls_.run([this, check_box, checked] { widgets_.set_check_box_checked(check_box, checked); });
}

// --- Tab control ---

Text WindowControls::tab_caption(const Text& tabs, int page) {
    return calls_.run(Text(), [this, tabs, page] { return widgets_.tab_caption(tabs, page); });
}

bool WindowControls::set_tab_caption(const Text& tabs, int page, const Text& caption) {
    return calls_.run(false, [this, tabs, page, caption] {
        return widgets_.set_tab_caption(tabs, page, caption);
    });
}

int WindowControls::current_tab(const Text& tabs) {
    return calls_.run(-1, [this, tabs] { return widgets_.current_tab(tabs); });
}

// --- Any control, the window ---

bool WindowControls::control_enabled(const Text& control) {
    return calls_.run(false, [this, control] { return widgets_.control_enabled(control); });
}

void WindowControls::set_control_enabled(const Text& control, bool enabled) {
    calls_.run([this, control, enabled] { widgets_.set_control_enabled(control, enabled); });
}

Text WindowControls::window_title() {
    return calls_.run(Text(), [this] { return widgets_.window_title(); });
}

void WindowControls::set_window_title(const Text& title) {
    calls_.run([this, title] { widgets_.set_window_title(title); });
}

// --- Dialogs and shell ---

int WindowControls::message_box(const Text& message, int flags, const Text& caption) {
    return calls_.run(0, [this, message, flags, caption] {
        return widgets_.message_box(message, flags,
                                    caption.empty() ? control::default_box_caption() : caption);
    });
}

void WindowControls::open_web_address(const Text& address) {
    calls_.run([this, address] { address_opener_.get()(address); });
}

}  // namespace velmora
