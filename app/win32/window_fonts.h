// The fonts of the main window: the labels' designed faces and the platform's dialog
// font for every other control. Where a face is not installed the font mapper picks the
// nearest one of the same character set.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace velmora {

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

struct WindowFonts {
    UniqueFont caption;   // 透明标签1, 透明标签2: "微软雅黑", 16 px, bold
    UniqueFont link;      // 透明标签3: "微软雅黑 Light", 12 px, weight 290, underlined
    UniqueFont standard;  // the edit boxes, button, check box, tabs and lists
};

WindowFonts make_window_fonts();

}  // namespace velmora
