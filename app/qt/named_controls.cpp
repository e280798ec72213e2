#include "app/qt/named_controls.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>
#include <utility>

#include "app/qt/qt_text.h"
#include "app/qt/record_list_widget.h"
#include "base/control_names.h"
#include "base/gbk.h"

namespace velmora {

namespace {

template <class W, class... Args>
W* named(const Text& name, Args&&... args) {
    auto* widget = new W(std::forward<Args>(args)...);
    widget->setObjectName(to_qstring(name));
    return widget;
}

}  // namespace

void build_named_controls(QWidget& window) {
    window.setWindowTitle(to_qstring(gbk("Velmora")));

    auto* top = new QHBoxLayout;
    top->addWidget(named<QLabel>(control::label(1)));
    top->addWidget(named<QLineEdit>(control::id_edit()));
    top->addWidget(named<QLabel>(control::label(2)));
    top->addWidget(named<QLineEdit>(control::token_edit()));
    top->addWidget(named<QPushButton>(control::login_button()));
    top->addWidget(named<QCheckBox>(control::remember_box()));
    top->addWidget(named<QLabel>(control::label(3)));

    auto* tabs = named<QTabWidget>(control::record_tabs());
    for (int page = 1; page <= control::kPageCount; ++page) {
        // The value column of the first list is a little narrower than the others.
        int value_width = page == 1 ? 127 : 131;
        tabs->addTab(named<RecordListWidget>(control::record_list(page), value_width), QString());
    }

    auto* rows = new QVBoxLayout(&window);
    rows->addLayout(top);
    rows->addWidget(tabs);
    rows->addWidget(named<QPlainTextEdit>(control::run_log()));
}

}  // namespace velmora
