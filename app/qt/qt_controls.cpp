#include "app/qt/qt_controls.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <utility>

#include "app/qt/message_box.h"
#include "app/qt/qt_text.h"
#include "app/qt/record_list_widget.h"
#include "base/control_names.h"
#include "base/gbk.h"
#include "base/log_view_limit.h"

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

QtControls::QtControls(QWidget* window)
    : window_(window), address_opener_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
    for (int page = 1; page <= control::kPageCount; ++page) {
        if (auto* list = find<RecordListWidget>(control::record_list(page))) {
            connect(list, &RecordListWidget::row_check_changed, this,
                    [this, page](int row, int state) { report_row_check(page, row, state); });
        }
    }
    if (window != nullptr) {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, [this] { begin_shutdown(); });
    }
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            [this] { begin_shutdown(); });
}

QtControls::~QtControls() {
    begin_shutdown();
    if (window_) {
        window_->removeEventFilter(this);
    }
}

template <class W>
W* QtControls::find(const Text& name) const {
    return window_ ? window_->findChild<W*>(to_qstring(name)) : nullptr;
}

bool QtControls::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Close) {
        begin_shutdown();
    }
    return QObject::eventFilter(watched, event);
}

void QtControls::begin_shutdown() {
    calls_.begin_shutdown();
}

void QtControls::set_address_opener(AddressOpener opener) {
    address_opener_.set(std::move(opener));
}

void QtControls::set_row_check_handler(RowCheckHandler handler) {
    row_check_handler_.set(std::move(handler));
}

void QtControls::report_row_check(int page, int row, int state) {
    if (calls_.shutting_down()) {
        return;
    }
    if (const RowCheckHandler handler = row_check_handler_.get()) {
        handler(page, row, state);
    }
}

// --- Lists ---

Text QtControls::list_cell_text(const Text& list, int row, int column) {
    return calls_.run(Text(), [this, list, row, column] {
        auto* widget = find<RecordListWidget>(list);
        return widget != nullptr ? from_qstring(widget->cell_text(row, column)) : Text();
    });
}

void QtControls::set_list_cell_text(const Text& list, int row, int column, const Text& text) {
    calls_.run([this, list, row, column, text] {
        if (auto* widget = find<RecordListWidget>(list)) {
            widget->set_cell_text(row, column, to_qstring(text));
        }
    });
}

int QtControls::insert_list_row(const Text& list, std::optional<int> position,
                                const Text& caption) {
    return calls_.run(-1, [this, list, position, caption] {
        auto* widget = find<RecordListWidget>(list);
        return widget != nullptr ? widget->insert_row(position.value_or(-1), to_qstring(caption))
                                 : -1;
    });
}

int QtControls::list_row_count(const Text& list) {
    return calls_.run(0, [this, list] {
        auto* widget = find<RecordListWidget>(list);
        return widget != nullptr ? widget->rowCount() : 0;
    });
}

bool QtControls::delete_list_row(const Text& list, int row) {
    return calls_.run(false, [this, list, row] {
        auto* widget = find<RecordListWidget>(list);
        return widget != nullptr && widget->delete_row(row);
    });
}

void QtControls::clear_list(const Text& list) {
    int count = list_row_count(list);
    for (int i = 0; i < count; ++i) {
        delete_list_row(list, 0);
    }
}

bool QtControls::list_row_checked(const Text& list, int row) {
    return calls_.run(false, [this, list, row] {
        auto* widget = find<RecordListWidget>(list);
        return widget != nullptr && widget->row_checked(row);
    });
}

void QtControls::set_list_row_checked(const Text& list, int row, bool checked) {
    calls_.run([this, list, row, checked] {
        if (auto* widget = find<RecordListWidget>(list)) {
            widget->set_row_checked(row, checked);
        }
    });
}

// --- Edit boxes ---

Text QtControls::edit_text(const Text& edit) {
    return calls_.run(Text(), [this, edit] {
        auto* widget = find<QWidget>(edit);
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            return from_qstring(line->text());
        }
        if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
            return from_qstring(from_box_lines(box->toPlainText()));
        }
        return Text();
    });
}

void QtControls::set_edit_text(const Text& edit, const Text& text) {
    calls_.run([this, edit, text] {
        auto* widget = find<QWidget>(edit);
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            line->setText(to_qstring(text));
        } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
            box->setPlainText(to_box_lines(to_qstring(text)));
        }
    });
}

void QtControls::append_to_edit(const Text& edit, const TextList& texts) {
    calls_.run([this, edit, texts] {
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
    });
}

// --- Check box ---

bool QtControls::check_box_checked(const Text& check_box) {
    return calls_.run(false, [this, check_box] {
        auto* widget = find<QCheckBox>(check_box);
        return widget != nullptr && widget->isChecked();
    });
}

void QtControls::set_check_box_checked(const Text& check_box, bool checked) {
    calls_.run([this, check_box, checked] {
        if (auto* widget = find<QCheckBox>(check_box)) {
            widget->setChecked(checked);
        }
    });
}

// --- Tab control ---

Text QtControls::tab_caption(const Text& tabs, int page) {
    return calls_.run(Text(), [this, tabs, page] {
        auto* widget = find<QTabWidget>(tabs);
        if (widget == nullptr || page < 1 || page > widget->count()) {
            return Text();
        }
        return from_qstring(widget->tabText(page - 1));
    });
}

bool QtControls::set_tab_caption(const Text& tabs, int page, const Text& caption) {
    return calls_.run(false, [this, tabs, page, caption] {
        auto* widget = find<QTabWidget>(tabs);
        if (widget == nullptr || page < 1 || page > widget->count()) {
            return false;
        }
        widget->setTabText(page - 1, to_qstring(caption));
        return true;
    });
}

int QtControls::current_tab(const Text& tabs) {
    return calls_.run(-1, [this, tabs] {
        auto* widget = find<QTabWidget>(tabs);
        return widget != nullptr ? widget->currentIndex() : -1;
    });
}

// --- Any control, the window ---

bool QtControls::control_enabled(const Text& control) {
    return calls_.run(false, [this, control] {
        auto* widget = find<QWidget>(control);
        return widget != nullptr && widget->isEnabled();
    });
}

void QtControls::set_control_enabled(const Text& control, bool enabled) {
    calls_.run([this, control, enabled] {
        if (auto* widget = find<QWidget>(control)) {
            widget->setEnabled(enabled);
        }
    });
}

Text QtControls::window_title() {
    return calls_.run(Text(),
                      [this] { return window_ ? from_qstring(window_->windowTitle()) : Text(); });
}

void QtControls::set_window_title(const Text& title) {
    calls_.run([this, title] {
        if (window_) {
            window_->setWindowTitle(to_qstring(title));
        }
    });
}

// --- Dialogs and shell ---

int QtControls::message_box(const Text& message, int flags, const Text& caption) {
    return calls_.run(0, [this, message, flags, caption] {
        std::unique_ptr<QMessageBox> box =
            make_message_box(to_box_lines(to_qstring(message)), flags,
                             to_qstring(caption.empty() ? gbk("信息：") : caption), window_);
        // Closing the window while the box is up takes the box with it.
        QPointer<QMessageBox> alive(box.get());
        int answer = show_message_box(*box);
        if (!alive) {
            (void)box.release();
        }
        return answer;
    });
}

void QtControls::open_web_address(const Text& address) {
    calls_.run([this, address] { address_opener_.get()(QUrl(to_qstring(address))); });
}

}  // namespace velmora
