#include "app/qt/message_box.h"

#include <QCursor>
#include <QGuiApplication>
#include <utility>
#include <vector>

#include "base/controls/guarded_handler.h"

namespace velmora {

namespace {

constexpr int kSystemModal = 0x1000;

// The test seam: set by tests, read by every box.
GuardedHandler<MessageBoxPresenter>& presenter_slot() {
    static GuardedHandler<MessageBoxPresenter> slot;
    return slot;
}

QMessageBox::StandardButtons button_set(int flags) {
    switch (flags & 0xF) {
        case 1:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case 2:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case 3:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case 4:
            return QMessageBox::Yes | QMessageBox::No;
        case 5:
            return QMessageBox::Retry | QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
    }
}

QMessageBox::Icon icon(int flags) {
    switch (flags & 0xF0) {
        case 0x10:
            return QMessageBox::Critical;
        case 0x20:
            return QMessageBox::Question;
        case 0x30:
            return QMessageBox::Warning;
        case 0x40:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int answer_code(int standard_button) {
    switch (standard_button) {
        case QMessageBox::Cancel:
            return 1;
        case QMessageBox::Abort:
            return 2;
        case QMessageBox::Retry:
            return 3;
        case QMessageBox::Ignore:
            return 4;
        case QMessageBox::Yes:
            return 5;
        case QMessageBox::No:
            return 6;
        default:
            return 0;
    }
}

// Takes the application's override cursors (a login's wait cursor) off for its lifetime
// and puts them back afterwards: a box that waits for the user shows the normal cursor.
class NormalCursor {
  public:
    NormalCursor() {
        while (const QCursor* cursor = QGuiApplication::overrideCursor()) {
            saved_.push_back(*cursor);
            QGuiApplication::restoreOverrideCursor();
        }
    }
    ~NormalCursor() {
        for (auto cursor = saved_.rbegin(); cursor != saved_.rend(); ++cursor) {
            QGuiApplication::setOverrideCursor(*cursor);
        }
    }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

  private:
    std::vector<QCursor> saved_;
};

}  // namespace

void set_message_box_presenter(MessageBoxPresenter presenter) {
    presenter_slot().set(std::move(presenter));
}

std::unique_ptr<QMessageBox> make_message_box(const QString& text, int flags,
                                              const QString& caption, QWidget* owner) {
    auto box = std::make_unique<QMessageBox>(icon(flags), caption, text, button_set(flags), owner);
    box->setWindowModality((flags & kSystemModal) != 0 ? Qt::ApplicationModal : Qt::WindowModal);
    return box;
}

int show_message_box(QMessageBox& box) {
    const MessageBoxPresenter presenter = presenter_slot().get();
    NormalCursor normal_cursor;
    return answer_code(presenter ? presenter(box) : box.exec());
}

}  // namespace velmora
