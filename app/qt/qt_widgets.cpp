#include "app/qt/qt_widgets.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <memory>

#include "app/qt/message_box.h"
#include "app/qt/qt_text.h"
#include "app/qt/record_list_widget.h"
#include "base/controls/log_view_limit.h"

namespace velmora {

namespace {

// The multi-line box keeps lines apart with "\n"; the logic writes and reads "\r\n".
QString to_box_lines(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
QString from_box_lines(QString text) {
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

// Keeps the box to its newest lines: a log that runs for months must not grow the
// window's memory without end (the history file keeps every line).
void drop_oldest_lines(QPlainTextEdit& box) {
    QTextDocument& document = *box.document();
    // The text ends in a line break, which leaves an empty last block.
    const auto lines = static_cast<std::size_t>(std::max(document.blockCount() - 1, 0));
    const auto dropped = static_cast<int>(log_lines_to_drop(lines));
    if (dropped == 0) {
        return;
    }
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, dropped);
    cursor.removeSelectedText();
}

void append_to_multi_line(QPlainTextEdit& box, const QString& text) {
    QTextDocument& document = *box.document();
    QScrollBar& scroll = *box.verticalScrollBar();
    // A user who scrolled up to read keeps the view; one at the end follows the log.
    const bool following = scroll.value() == scroll.maximum();
    const int first_line_shown = scroll.value();
    const int lines_before = document.blockCount();
    // A log that grows for days must not keep every line a second time in the undo
    // history; the appends are not undoable anyway.
    document.setUndoRedoEnabled(false);
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(to_box_lines(text));
    const int lines_added = document.blockCount() - lines_before;
    drop_oldest_lines(box);
    const int lines_dropped = lines_before + lines_added - document.blockCount();
    document.setUndoRedoEnabled(true);
    if (following) {
        cursor.movePosition(QTextCursor::End);
        box.setTextCursor(cursor);
        // Lines not laid out yet do not move the view to the caret by themselves; the
        // scroll bar counts lines, so its end is the newest line.
        scroll.setValue(scroll.maximum());
    } else {
        scroll.setValue(std::max(0, first_line_shown - lines_dropped));
    }
}

void append_to_single_line(QLineEdit& box, const QString& text) {
    box.setText(box.text() + text);
    box.setCursorPosition(static_cast<int>(box.text().size()));
}

}  // namespace

// --- Lists ---

Text QtWidgets::cell_text(const Text& list, int row, int column) {
    auto* widget = find<RecordListWidget>(list);
    return widget != nullptr ? from_qstring(widget->cell_text(row, column)) : Text();
}

void QtWidgets::set_cell_text(const Text& list, int row, int column, const Text& text) {
    if (auto* widget = find<RecordListWidget>(list)) {
        widget->set_cell_text(row, column, to_qstring(text));
    }
}

int QtWidgets::insert_row(const Text& list, int position, const Text& caption) {
    auto* widget = find<RecordListWidget>(list);
    return widget != nullptr ? widget->insert_row(position, to_qstring(caption)) : -1;
}

int QtWidgets::row_count(const Text& list) {
    auto* widget = find<RecordListWidget>(list);
    return widget != nullptr ? widget->rowCount() : 0;
}

bool QtWidgets::delete_row(const Text& list, int row) {
    auto* widget = find<RecordListWidget>(list);
    return widget != nullptr && widget->delete_row(row);
}

bool QtWidgets::row_checked(const Text& list, int row) {
    auto* widget = find<RecordListWidget>(list);
    return widget != nullptr && widget->row_checked(row);
}

void QtWidgets::set_row_checked(const Text& list, int row, bool checked) {
    if (auto* widget = find<RecordListWidget>(list)) {
        widget->set_row_checked(row, checked);
    }
}

// --- Edit boxes ---

Text QtWidgets::edit_text(const Text& edit) {
    auto* widget = find<QWidget>(edit);
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        return from_qstring(line->text());
    }
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
        return from_qstring(from_box_lines(box->toPlainText()));
    }
    return Text();
}

void QtWidgets::set_edit_text(const Text& edit, const Text& text) {
    auto* widget = find<QWidget>(edit);
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(to_qstring(text));
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
        box->setPlainText(to_box_lines(to_qstring(text)));
    }
}

void QtWidgets::append_to_edit(const Text& edit, const TextList& texts) {
    auto* widget = find<QWidget>(edit);
    auto* line = qobject_cast<QLineEdit*>(widget);
    auto* box = qobject_cast<QPlainTextEdit*>(widget);
    for (const Text& text : texts) {
        if (line != nullptr) {
            append_to_single_line(*line, to_qstring(text));
        } else if (box != nullptr) {
            append_to_multi_line(*box, to_qstring(text));
        }
    }
}

// --- Check box ---

bool QtWidgets::check_box_checked(const Text& check_box) {
    auto* widget = find<QCheckBox>(check_box);
    return widget != nullptr && widget->isChecked();
}

void QtWidgets::set_check_box_checked(const Text& check_box, bool checked) {
    if (auto* widget = find<QCheckBox>(check_box)) {
        widget->setChecked(checked);
    }
}

// --- Tab control ---

Text QtWidgets::tab_caption(const Text& tabs, int page) {
    auto* widget = find<QTabWidget>(tabs);
    if (widget == nullptr || page < 1 || page > widget->count()) {
        return Text();
    }
    return from_qstring(widget->tabText(page - 1));
}

bool QtWidgets::set_tab_caption(const Text& tabs, int page, const Text& caption) {
    auto* widget = find<QTabWidget>(tabs);
    if (widget == nullptr || page < 1 || page > widget->count()) {
        return false;
    }
    widget->setTabText(page - 1, to_qstring(caption));
    return true;
}

int QtWidgets::current_tab(const Text& tabs) {
    auto* widget = find<QTabWidget>(tabs);
    return widget != nullptr ? widget->currentIndex() : -1;
}

// --- Any control, the window ---

bool QtWidgets::control_enabled(const Text& control) {
    auto* widget = find<QWidget>(control);
    return widget != nullptr && widget->isEnabled();
}

void QtWidgets::set_control_enabled(const Text& control, bool enabled) {
    if (auto* widget = find<QWidget>(control)) {
        widget->setEnabled(enabled);
    }
}

Text QtWidgets::window_title() {
    return window_ ? from_qstring(window_->windowTitle()) : Text();
}

void QtWidgets::set_window_title(const Text& title) {
    if (window_) {
        window_->setWindowTitle(to_qstring(title));
    }
}

int QtWidgets::message_box(const Text& message, int flags, const Text& caption) {
    std::unique_ptr<QMessageBox> box =
        make_message_box(to_box_lines(to_qstring(message)), flags, to_qstring(caption), window_);
    // Closing the window while the box is up takes the box with it.
    QPointer<QMessageBox> alive(box.get());
    int answer = show_message_box(*box);
    if (!alive) {
        (void)box.release();
    }
    return answer;
}

}  // namespace velmora
