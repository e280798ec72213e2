#include "app/qt/options_menu.h"

#include <QAction>
#include <functional>

#include "app/qt/qt_text.h"
#include "app/tray_texts.h"
#include "base/autostart.h"

namespace velmora {

namespace {

void add_check_item(QMenu& menu, const Text& caption, std::function<bool()> state,
                    std::function<void(bool)> change) {
    QAction* action = menu.addAction(to_qstring(caption));
    action->setCheckable(true);
    QObject::connect(&menu, &QMenu::aboutToShow, action,
                     [action, state] { action->setChecked(state()); });
    QObject::connect(action, &QAction::triggered, action, [action, state, change](bool on) {
        change(on);
        action->setChecked(state());  // what actually holds now, not what was asked
    });
}

}  // namespace

void add_option_items(QMenu& menu, SessionCore& core) {
    add_check_item(
        menu, tray_menu::log_in_at_start(),
        [&core] { return core.option(RunOption::log_in_at_start); },
        [&core](bool on) { core.set_option(RunOption::log_in_at_start, on); });
    add_check_item(menu, tray_menu::start_at_logon(), [] { return starts_at_logon(); },
                   [](bool on) { set_starts_at_logon(on); });
    add_check_item(
        menu, tray_menu::minimise_to_tray(),
        [&core] { return core.option(RunOption::minimise_to_tray); },
        [&core](bool on) { core.set_option(RunOption::minimise_to_tray, on); });
}

}  // namespace velmora
