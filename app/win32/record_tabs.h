// 选择夹1: the tab control of the six record pages, each page's list a child of the tab
// control under its row of tabs. Pages are 1-based here, as the logic counts them.
#pragma once

#include <windows.h>

#include <array>

#include "base/controls/control_names.h"
#include "base/types.h"

namespace velmora {

class RecordTabs {
  public:
    // Creates the control at `area` of `parent` with six pages, all captions empty, the
    // first page showing.
    RecordTabs(HWND parent, const RECT& area, HFONT font);

    HWND handle() const { return tabs_; }
    HWND list(int page) const;
    // The page (1 … 6) whose list `window` is; 0 for any other window.
    int page_of(HWND window) const;

    // The empty text for a page that does not exist.
    Text caption(int page) const;
    // False for a page that does not exist or when the control refuses the text.
    bool set_caption(int page, const Text& caption);
    // The current page counted from 0; -1 when there is none.
    int current() const;
    // Shows the current page's list and hides the others; after the user changed pages.
    void show_current_page();

  private:
    static bool has_page(int page) { return page >= 1 && page <= control::kPageCount; }

    HWND tabs_ = nullptr;
    std::array<HWND, control::kPageCount> lists_{};
    // The control keeps the captions it shows; reading one reads this list.
    std::array<Text, control::kPageCount> captions_;
};

}  // namespace velmora
