// The program's one window: the credential fields, the login button, the six
// record pages and the run log, each control named as the logic addresses it.
#pragma once

#include <QWidget>

namespace velmora {

class MainWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Shows the window centred on its screen (the design position is not used) and
    // returns once it has been painted, so that it does not stay blank while the window
    // thread then blocks on a request.
    void present();

  signals:
    void login_clicked();
    void console_link_pressed();
    void closing();
    // The user minimised the window.
    void minimised();
    // A right click on the window's own free area, at that global position.
    void context_menu_requested(const QPoint& position);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build_controls();
    void centre_on_screen();
};

}  // namespace velmora
