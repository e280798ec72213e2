#include "app/qt/control_colours.h"

#include <QPalette>
#include <QWidget>

namespace velmora {

void use_black_on_white(QWidget& widget) {
    QPalette colours = widget.palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    // Item views and text edits draw the selection with the inactive group while they
    // lack the focus.
    colours.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    widget.setPalette(colours);
}

}  // namespace velmora
