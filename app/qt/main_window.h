// The program's one window: the credential fields, the login button, the six
// record pages and the run log, each control named as the logic addresses it.
#pragma once

#include <QWidget>
#include <functional>

namespace velmora {

class MainWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Centres the window on its screen; the design position is not used.
    void centre_on_screen();

  signals:
    void login_clicked();
    void console_link_pressed();
    void closing();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build_controls();
};

}  // namespace velmora
