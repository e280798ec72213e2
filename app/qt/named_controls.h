// The main window's controls with their names and kinds, laid out plainly: enough for the
// control operations and their tests. The real main window places and styles the same
// controls (and may build them itself, as long as names and kinds stay).
#pragma once

class QWidget;

namespace velmora {

// Creates the controls as children of `window` and sets its title to "Velmora".
void build_named_controls(QWidget& window);

}  // namespace velmora
