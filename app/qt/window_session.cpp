#include "app/qt/window_session.h"

#include <QApplication>
#include <QTimer>

namespace velmora {

WindowSession::WindowSession(const Endpoints& endpoints, Text settings_path)
    : controls_(&window_), core_(controls_, endpoints, std::move(settings_path)) {
    controls_.set_row_check_handler(
        [this](int page, int row, int state) { core_.row_checked(page, row, state); });
    connect(&window_, &MainWindow::login_clicked, this, &WindowSession::login);
    connect(&window_, &MainWindow::console_link_pressed, this, [this] { core_.open_console(); });
    connect(&window_, &MainWindow::closing, this, &WindowSession::close_down);
}

WindowSession::~WindowSession() {
    close_down();
}

void WindowSession::start() {
    window_.present();
    QTimer::singleShot(0, this, [this] { core_.window_created(); });
}

void WindowSession::login() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    core_.login();
    QApplication::restoreOverrideCursor();
}

void WindowSession::close_down() {
    controls_.begin_shutdown();
    core_.close_down();
}

}  // namespace velmora
