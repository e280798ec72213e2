#include "base/controls/memory_controls.h"

#include <algorithm>
#include <utility>

#include "base/controls/control_names.h"
#include "base/gbk.h"
#include "base/controls/log_view_limit.h"

namespace velmora {

MemoryControls::MemoryControls() : title_(gbk("Velmora")) {
    for (const Text* name : {&control::id_edit(), &control::token_edit(), &control::run_log()}) {
        controls_.emplace(*name, Control(Kind::kEdit));
    }
    controls_.emplace(control::remember_box(), Control(Kind::kCheckBox));
    controls_.emplace(control::login_button(), Control(Kind::kButton));
    for (int n = 1; n <= 3; ++n) {
        controls_.emplace(control::label(n), Control(Kind::kLabel));
    }
    Control tabs(Kind::kTabs);
    tabs.captions.assign(control::kPageCount, Text());
    controls_.emplace(control::record_tabs(), std::move(tabs));
    for (int page = 1; page <= control::kPageCount; ++page) {
        Control list(Kind::kList);
        list.page = page;
        controls_.emplace(control::record_list(page), std::move(list));
    }
}

MemoryControls::Control* MemoryControls::find(const Text& name, Kind kind) {
    auto it = controls_.find(name);
    return it != controls_.end() && it->second.kind == kind ? &it->second : nullptr;
}

MemoryControls::Row* MemoryControls::find_row(const Text& list, int row) {
    Control* control = find(list, Kind::kList);
    if (control == nullptr || row < 0 || row >= static_cast<int>(control->rows.size())) {
        return nullptr;
    }
    return &control->rows[row];
}

Text MemoryControls::list_cell_text(const Text& list, int row, int column) {
    std::lock_guard lock(mutex_);
    Row* found = find_row(list, row);
    return found != nullptr && column >= 0 && column < kColumnCount ? found->cells[column] : Text();
}

void MemoryControls::set_list_cell_text(const Text& list, int row, int column, const Text& text) {
    std::lock_guard lock(mutex_);
    Row* found = find_row(list, row);
    if (found != nullptr && column >= 0 && column < kColumnCount) {
        found->cells[column] = text;
    }
}

int MemoryControls::insert_list_row(const Text& list, std::optional<int> position,
                                    const Text& caption) {
    std::lock_guard lock(mutex_);
    Control* control = find(list, Kind::kList);
    if (control == nullptr) {
        return -1;
    }
    // Like the real list: a position past the end appends.
    int count = static_cast<int>(control->rows.size());
    int index = position && *position >= 0 ? std::min(*position, count) : count;
    Row row;
    row.cells[0] = caption;
    control->rows.insert(control->rows.begin() + index, std::move(row));
    return index;
}

int MemoryControls::list_row_count(const Text& list) {
    std::lock_guard lock(mutex_);
    Control* control = find(list, Kind::kList);
    return control != nullptr ? static_cast<int>(control->rows.size()) : 0;
}

bool MemoryControls::delete_list_row(const Text& list, int row) {
    std::lock_guard lock(mutex_);
    if (find_row(list, row) == nullptr) {
        return false;
    }
    auto& rows = find(list, Kind::kList)->rows;
    rows.erase(rows.begin() + row);
    return true;
}

bool MemoryControls::list_row_checked(const Text& list, int row) {
    std::lock_guard lock(mutex_);
    Row* found = find_row(list, row);
    return found != nullptr && found->checked;
}

void MemoryControls::set_list_row_checked(const Text& list, int row, bool checked) {
    RowCheckHandler handler;
    int page = 0;
    {
        std::lock_guard lock(mutex_);
        Row* found = find_row(list, row);
        if (found == nullptr || found->checked == checked) {
            return;
        }
        found->checked = checked;
        handler = row_check_handler_;
        page = find(list, Kind::kList)->page;
    }
    if (handler) {
        handler(page, row, checked ? 1 : 0);
    }
}

void MemoryControls::set_row_check_handler(RowCheckHandler handler) {
    std::lock_guard lock(mutex_);
    row_check_handler_ = std::move(handler);
}

Text MemoryControls::edit_text(const Text& edit) {
    std::lock_guard lock(mutex_);
    Control* control = find(edit, Kind::kEdit);
    return control != nullptr ? control->text : Text();
}

void MemoryControls::set_edit_text(const Text& edit, const Text& text) {
    std::lock_guard lock(mutex_);
    if (Control* control = find(edit, Kind::kEdit)) {
        control->text = text;
    }
}

void MemoryControls::append_to_edit(const Text& edit, const TextList& texts) {
    std::lock_guard lock(mutex_);
    if (Control* control = find(edit, Kind::kEdit)) {
        for (const Text& text : texts) {
            control->text += text;
        }
        // As the window's log does: the newest lines stay, the oldest go in blocks.
        if (edit == control::run_log()) {
            control->text.erase(0, log_characters_to_drop(control->text));
        }
    }
}

bool MemoryControls::check_box_checked(const Text& check_box) {
    std::lock_guard lock(mutex_);
    Control* control = find(check_box, Kind::kCheckBox);
    return control != nullptr && control->checked;
}

void MemoryControls::set_check_box_checked(const Text& check_box, bool checked) {
    std::lock_guard lock(mutex_);
    if (Control* control = find(check_box, Kind::kCheckBox)) {
        control->checked = checked;
    }
}

Text MemoryControls::tab_caption(const Text& tabs, int page) {
    std::lock_guard lock(mutex_);
    Control* control = find(tabs, Kind::kTabs);
    if (control == nullptr || page < 1 || page > static_cast<int>(control->captions.size())) {
        return Text();
    }
    return control->captions[page - 1];
}

bool MemoryControls::set_tab_caption(const Text& tabs, int page, const Text& caption) {
    std::lock_guard lock(mutex_);
    Control* control = find(tabs, Kind::kTabs);
    if (control == nullptr || page < 1 || page > static_cast<int>(control->captions.size())) {
        return false;
    }
    control->captions[page - 1] = caption;
    return true;
}

int MemoryControls::current_tab(const Text& tabs) {
    std::lock_guard lock(mutex_);
    Control* control = find(tabs, Kind::kTabs);
    return control != nullptr ? control->current : -1;
}

bool MemoryControls::set_current_tab(int index) {
    std::lock_guard lock(mutex_);
    Control* control = find(control::record_tabs(), Kind::kTabs);
    if (index < 0 || index >= static_cast<int>(control->captions.size())) {
        return false;
    }
    control->current = index;
    return true;
}

bool MemoryControls::control_enabled(const Text& control) {
    std::lock_guard lock(mutex_);
    auto it = controls_.find(control);
    return it != controls_.end() && it->second.enabled;
}

void MemoryControls::set_control_enabled(const Text& control, bool enabled) {
    std::lock_guard lock(mutex_);
    auto it = controls_.find(control);
    if (it != controls_.end()) {
        it->second.enabled = enabled;
    }
}

Text MemoryControls::window_title() {
    std::lock_guard lock(mutex_);
    return title_;
}

void MemoryControls::set_window_title(const Text& title) {
    std::lock_guard lock(mutex_);
    title_ = title;
}

int MemoryControls::message_box(const Text& message, int flags, const Text& caption) {
    ShownMessageBox box{message, flags, caption.empty() ? control::default_box_caption() : caption};
    MessageBoxHandler handler;
    {
        std::lock_guard lock(mutex_);
        message_boxes_.push_back(box);
        handler = message_box_handler_;
    }
    return handler ? handler(box) : 0;
}

void MemoryControls::open_web_address(const Text& address) {
    std::lock_guard lock(mutex_);
    opened_addresses_.push_back(address);
}

void MemoryControls::set_message_box_handler(MessageBoxHandler handler) {
    std::lock_guard lock(mutex_);
    message_box_handler_ = std::move(handler);
}

std::vector<MemoryControls::ShownMessageBox> MemoryControls::message_boxes() const {
    std::lock_guard lock(mutex_);
    return message_boxes_;
}

TextList MemoryControls::opened_addresses() const {
    std::lock_guard lock(mutex_);
    return opened_addresses_;
}

}  // namespace velmora
