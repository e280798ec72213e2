// The main window's Qt widgets, found by their objectName (the control's name as a
// QString), as WindowControls uses them. Window thread only.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/qt/qt_text.h"
#include "app/window/window_widgets.h"

namespace velmora {

class QtWidgets final : public WindowWidgets {
  public:
    explicit QtWidgets(QWidget* window) : window_(window) {}

    Text cell_text(const Text& list, int row, int column) override;
    void set_cell_text(const Text& list, int row, int column, const Text& text) override;
    int insert_row(const Text& list, int position, const Text& caption) override;
    int row_count(const Text& list) override;
    bool delete_row(const Text& list, int row) override;
    bool row_checked(const Text& list, int row) override;
    void set_row_checked(const Text& list, int row, bool checked) override;

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

    int message_box(const Text& message, int flags, const Text& caption) override;

    template <class W>
    W* find(const Text& name) const {
        return window_ ? window_->findChild<W*>(to_qstring(name)) : nullptr;
    }

  private:
    QPointer<QWidget> window_;
};

}  // namespace velmora
