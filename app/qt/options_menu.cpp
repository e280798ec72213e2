#include "app/qt/options_menu.h"

#include <QAction>
#include <utility>

#include "app/session/option_items.h"
#include "app/qt/qt_text.h"

namespace velmora {

void add_option_items(QMenu& menu, SessionCore& core) {
    for (OptionItem item : option_items(core)) {
        QAction* action = menu.addAction(to_qstring(item.caption));
        action->setCheckable(true);
        QObject::connect(&menu, &QMenu::aboutToShow, action, [action, item] {
            action->setChecked(item.is_on());
            action->setText(to_qstring(shown_caption(item)));
        });
        QObject::connect(
            action, &QAction::triggered, action, [action, item = std::move(item)](bool on) {
                item.turn(on);
                action->setChecked(item.is_on());  // what holds now, not what was asked
            });
    }
}

}  // namespace velmora
