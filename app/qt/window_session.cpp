#include "app/qt/window_session.h"

#include <QApplication>
#include <QTimer>

#include "app/login_flow.h"
#include "app/page_events.h"
#include "app/window_created.h"
#include "base/event_pump.h"

namespace velmora {

WindowSession::WindowSession(const Endpoints& endpoints, Text settings_path)
    : endpoints_(endpoints),
      settings_path_(std::move(settings_path)),
      controls_(&window_),
      update_loop_(controls_, endpoints_, watch_) {
    controls_.set_row_check_handler([this](int page, int row, int state) {
        on_record_row_checked(controls_, watch_, page, row, state);
    });
    connect(&window_, &MainWindow::login_clicked, this, &WindowSession::login);
    connect(&window_, &MainWindow::console_link_pressed, this,
            [this] { open_console_token_page(controls_, endpoints_); });
    connect(&window_, &MainWindow::closing, this, &WindowSession::close_down);
}

WindowSession::~WindowSession() {
    close_down();
}

void WindowSession::start() {
    window_.present();
    QTimer::singleShot(0, this, [this] {
        on_window_created({controls_, endpoints_}, settings_path_);
    });
}

void WindowSession::login() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    run_login({controls_, endpoints_}, settings_path_, update_loop_);
    QApplication::restoreOverrideCursor();
}

void WindowSession::close_down() {
    controls_.begin_shutdown();
    request_shutdown();
    update_loop_.stop();
}

}  // namespace velmora
