// The main window's controls held in memory, for tests of the logic: the same names, the
// same results and the same row check-box event as the real window, without a window.
// Message boxes and opened addresses are recorded instead of shown; a test can answer
// the boxes through a handler.
//
// Safe to use from several threads at once (the logic's update thread and the test's).
// Handlers are called without the internal lock held, so they may use the controls.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "base/controls/controls.h"
#include "base/types.h"

namespace velmora {

class MemoryControls : public Controls {
  public:
    struct ShownMessageBox {
        Text message;
        int flags = 0;
        Text caption;
    };
    // Answers a box as the user would (0 OK … 6 No); without a handler every box gets 0.
    using MessageBoxHandler = std::function<int(const ShownMessageBox& box)>;

    static constexpr int kColumnCount = 6;

    // The window as it is when it has just been created: title "Velmora", six pages with
    // empty captions, no rows, empty edit boxes, 选择框1 unticked, everything enabled.
    MemoryControls();

    Text list_cell_text(const Text& list, int row, int column = 0) override;
    void set_list_cell_text(const Text& list, int row, int column = 0,
                            const Text& text = {}) override;
    int insert_list_row(const Text& list, std::optional<int> position = std::nullopt,
                        const Text& caption = {}) override;
    int list_row_count(const Text& list) override;
    bool delete_list_row(const Text& list, int row) override;
    bool list_row_checked(const Text& list, int row) override;
    void set_list_row_checked(const Text& list, int row, bool checked) override;
    void set_row_check_handler(RowCheckHandler handler) override;

    Text edit_text(const Text& edit) override;
    void set_edit_text(const Text& edit, const Text& text) override;
    void append_to_edit(const Text& edit, const TextList& texts) override;

    bool check_box_checked(const Text& check_box) override;
    void set_check_box_checked(const Text& check_box, bool checked) override;

    Text tab_caption(const Text& tabs, int page) override;
    bool set_tab_caption(const Text& tabs, int page, const Text& caption) override;
    int current_tab(const Text& tabs) override;

    bool control_enabled(const Text& control) override;
    void set_control_enabled(const Text& control, bool enabled) override;

    Text window_title() override;
    void set_window_title(const Text& title) override;

    // Records the box (an empty caption becomes "信息："), then asks the handler.
    int message_box(const Text& message, int flags = 0, const Text& caption = {}) override;
    void open_web_address(const Text& address) override;

    // --- For tests ---
    void set_message_box_handler(MessageBoxHandler handler);
    std::vector<ShownMessageBox> message_boxes() const;
    TextList opened_addresses() const;
    // Makes page `index` (0-based) the current one, as a click on its tab would;
    // false when there is no such page.
    bool set_current_tab(int index);

  private:
    enum class Kind { kEdit, kCheckBox, kButton, kTabs, kList, kLabel };
    struct Row {
        bool checked = false;
        std::array<Text, kColumnCount> cells;
    };
    struct Control {
        explicit Control(Kind of) : kind(of) {}
        Kind kind;
        bool enabled = true;
        Text text;              // edit boxes
        bool checked = false;   // check box
        TextList captions;      // tab control
        int current = 0;        // tab control
        std::vector<Row> rows;  // lists
        int page = 0;           // lists: the page they belong to
    };

    // The control of that name and kind, or nullptr. Call with mutex_ held.
    Control* find(const Text& name, Kind kind);
    Row* find_row(const Text& list, int row);

    mutable std::mutex mutex_;
    std::map<Text, Control> controls_;
    Text title_;
    RowCheckHandler row_check_handler_;
    MessageBoxHandler message_box_handler_;
    std::vector<ShownMessageBox> message_boxes_;
    TextList opened_addresses_;
};

}  // namespace velmora
