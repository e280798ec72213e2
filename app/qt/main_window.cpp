#include "app/qt/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include "app/qt/control_colours.h"
#include "app/qt/qt_text.h"
#include "app/qt/record_list_widget.h"
#include "app/qt/record_tabs.h"
#include "app/window/window_layout.h"
#include "base/controls/control_names.h"
#include "base/gbk.h"

namespace velmora {

namespace {

// How long present() waits for the window system to expose the window.
constexpr int kExposureLimit = 2000;

// The designed family first; where it is not installed, the CJK font the project
// installs, which has the Latin letters too, so that a caption such as "Token" is drawn
// in one font with the metrics it was laid out for rather than half in a fallback.
QFont label_font(Utf8Literal design_family, int pixel_size, int weight) {
    QFont font;
    font.setFamilies({to_qstring(gbk(design_family)), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(pixel_size);
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

QFont font_for(layout::Font role) {
    switch (role) {
        case layout::Font::caption:
            return label_font("微软雅黑", 16, QFont::Bold);
        case layout::Font::link: {
            QFont font = label_font("微软雅黑 Light", 12, 290);
            font.setUnderline(true);
            return font;
        }
        case layout::Font::standard:
            break;
    }
    return QFont();
}

QColor colour_for(layout::Colour colour) {
    return colour == layout::Colour::link_blue ? QColor(0, 0, 255) : QColor(Qt::black);
}

QWidget* make_widget(QWidget* parent, const layout::ControlLayout& control) {
    switch (control.kind) {
        case layout::Kind::label: {
            auto* label = new QLabel(to_qstring(control.caption), parent);
            label->setAttribute(Qt::WA_TranslucentBackground);
            QPalette colours = label->palette();
            colours.setColor(QPalette::WindowText, colour_for(control.colour));
            label->setPalette(colours);
            return label;
        }
        case layout::Kind::line_edit:
            return new QLineEdit(parent);
        case layout::Kind::button: {
            auto* button = new QPushButton(to_qstring(control.caption), parent);
            button->setAutoDefault(false);
            return button;
        }
        case layout::Kind::check_box:
            return new QCheckBox(to_qstring(control.caption), parent);
        case layout::Kind::tabs: {
            auto* tabs = new RecordTabs(parent);
            for (int page = 1; page <= control::kPageCount; ++page) {
                auto* list = new RecordListWidget(layout::record_columns(page));
                list->setObjectName(to_qstring(control::record_list(page)));
                tabs->addTab(list, QString());
            }
            return tabs;
        }
        case layout::Kind::log: {
            auto* log = new QPlainTextEdit(parent);
            log->setFrameShadow(QFrame::Sunken);
            log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            use_black_on_white(*log);
            return log;
        }
    }
    return nullptr;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(to_qstring(gbk("Velmora")));
    setWindowIcon(QIcon(QStringLiteral(":/velmora/velmora.png")));
    setFixedSize(layout::kClientWidth, layout::kClientHeight);
    build_controls();
}

void MainWindow::build_controls() {
    for (const layout::ControlLayout& control : layout::controls()) {
        QWidget* widget = make_widget(this, control);
        widget->setObjectName(to_qstring(control.name));
        widget->setGeometry(control.area.left, control.area.top, control.area.width,
                            control.area.height);
        if (control.font != layout::Font::standard) {
            widget->setFont(font_for(control.font));
        }
    }
    connect(findChild<QPushButton*>(to_qstring(control::login_button())), &QPushButton::clicked,
            this, &MainWindow::login_clicked);
    auto* link = findChild<QLabel*>(to_qstring(control::label(3)));
    link->setCursor(Qt::PointingHandCursor);
    link->installEventFilter(this);
}

void MainWindow::present() {
    show();
    centre_on_screen();
    // The window system exposes a new window a moment after it is shown; only then does
    // a paint reach the screen.
    QDeadlineTimer limit(kExposureLimit);
    while (!(windowHandle() != nullptr && windowHandle()->isExposed()) && !limit.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(5);
    }
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainWindow::centre_on_screen() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    emit closing();
    QWidget::closeEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        emit minimised();
    }
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    emit context_menu_requested(event->globalPos());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        watched->objectName() == to_qstring(control::label(3))) {
        emit console_link_pressed();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace velmora
