// Appending to a multi-line edit box as a log grows: new text goes at the end, and the
// view follows it only when the user has not scrolled away from the end.
#pragma once

#include <windows.h>

#include "base/types.h"

namespace velmora::edit_box {

// Appends each text in turn at the end of `box`, not undoable, so a log that grows for
// days does not keep every line a second time. A view that showed the end follows the
// new text, caret at the end; a view the user scrolled up keeps showing the same lines,
// and the caret and selection stay on the text they were on. When `bounded`, the box
// keeps its newest lines only (log_view_limit.h): once it holds more than
// kLogLinesKept + kLogLinesDroppedAtOnce lines ("\r\n"-ended), the oldest go in blocks of
// kLogLinesDroppedAtOnce until it holds no more than that.
void append(HWND box, const TextList& texts, bool bounded);

}  // namespace velmora::edit_box
