// Colours shared by the window's text areas.
#pragma once

class QWidget;

namespace velmora {

// Black text on white, with the selection shown only while the widget has the focus:
// without it the selected text looks like any other, as in the platform's lists and
// edit boxes.
void use_black_on_white(QWidget& widget);

}  // namespace velmora
