// Where the main window's controls sit, what they say and which font draws them, written
// once for both windows (client coordinates in pixels, the origin top left). The record
// lists' columns and the tab control's page area are here too.
#pragma once

#include <array>
#include <vector>

#include "base/controls/control_names.h"
#include "base/types.h"

namespace velmora::layout {

constexpr int kClientWidth = 656;
constexpr int kClientHeight = 488;

struct Area {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    constexpr int right() const { return left + width; }
    constexpr int bottom() const { return top + height; }
    friend constexpr bool operator==(const Area&, const Area&) = default;
};

enum class Kind { label, line_edit, button, check_box, tabs, log };
enum class Font {
    standard,  // the desktop's dialog font
    caption,   // 微软雅黑, 16 pixels, bold
    link,      // 微软雅黑 Light, 12 pixels, weight 290, underlined
};
enum class Colour { standard, black, link_blue };

struct ControlLayout {
    Text name;  // the name the logic addresses it by (GBK)
    Kind kind;
    Text caption;  // GBK; empty where the control shows none
    Area area;
    Font font;
    Colour colour;
};

// In the order the controls are created, which is their keyboard order.
const std::vector<ControlLayout>& controls();

// Each record list fills the tab control's page area, under its row of tabs.
constexpr int kTabRowHeight = 24;
constexpr Area kPageArea = {0, kTabRowHeight, kClientWidth, 264};

struct Column {
    Text caption;  // GBK
    int width;
    bool left_aligned;  // else centred
};
// The six columns of page 1 … 6's list (the value column of the first is a little
// narrower than the others').
const std::array<Column, control::column::kCount>& record_columns(int page);

}  // namespace velmora::layout
