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
#include "base/control_names.h"
#include "base/gbk.h"

namespace velmora {

namespace {

constexpr int kClientWidth = 656;
constexpr int kClientHeight = 488;
// How long present() waits for the window system to expose the window.
constexpr int kExposureLimit = 2000;

template <class W>
W* place(QWidget* parent, const Text& name, int left, int top, int width, int height) {
    auto* widget = new W(parent);
    widget->setObjectName(to_qstring(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

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

QFont caption_font() {
    return label_font("微软雅黑", 16, QFont::Bold);
}

QFont link_font() {
    QFont font = label_font("微软雅黑 Light", 12, 290);
    font.setUnderline(true);
    return font;
}

QLabel* place_label(QWidget* parent, int n, Utf8Literal caption, const QFont& font,
                    const QColor& colour, QRect geometry) {
    auto* label = place<QLabel>(parent, control::label(n), geometry.x(), geometry.y(),
                                geometry.width(), geometry.height());
    label->setText(to_qstring(gbk(caption)));
    label->setFont(font);
    label->setAttribute(Qt::WA_TranslucentBackground);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colour);
    label->setPalette(colours);
    return label;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(to_qstring(gbk("Velmora")));
    setWindowIcon(QIcon(QStringLiteral(":/velmora/velmora.png")));
    setFixedSize(kClientWidth, kClientHeight);
    build_controls();
}

void MainWindow::build_controls() {
    place_label(this, 1, "ID", caption_font(), Qt::black, {18, 8, 24, 32});
    place<QLineEdit>(this, control::id_edit(), 55, 11, 119, 27);
    place_label(this, 2, "Token", caption_font(), Qt::black, {184, 8, 50, 32});
    place<QLineEdit>(this, control::token_edit(), 246, 11, 234, 27);

    auto* login = place<QPushButton>(this, control::login_button(), 487, 8, 80, 32);
    login->setText(to_qstring(gbk("登入")));
    login->setAutoDefault(false);
    connect(login, &QPushButton::clicked, this, &MainWindow::login_clicked);

    auto* remember = place<QCheckBox>(this, control::remember_box(), 573, 8, 75, 16);
    remember->setText(to_qstring(gbk("记住数据")));

    // The link sits over the lower half of the check box's cell, as designed.
    QLabel* link =
        place_label(this, 3, "注册ID\\官网", link_font(), QColor(0, 0, 255), {568, 21, 80, 23});
    link->setCursor(Qt::PointingHandCursor);
    link->installEventFilter(this);

    auto* tabs = place<RecordTabs>(this, control::record_tabs(), 0, 48, kClientWidth, 296);
    for (int page = 1; page <= control::kPageCount; ++page) {
        // The value column of the first list is a little narrower than the others.
        int value_width = page == 1 ? 127 : 131;
        auto* list = new RecordListWidget(value_width);
        list->setObjectName(to_qstring(control::record_list(page)));
        tabs->addTab(list, QString());
    }

    auto* log = place<QPlainTextEdit>(this, control::run_log(), 0, 344, kClientWidth, 144);
    log->setFrameShadow(QFrame::Sunken);
    log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    use_black_on_white(*log);
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
