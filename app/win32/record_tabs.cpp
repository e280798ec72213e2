#include "app/win32/record_tabs.h"

#include <commctrl.h>

#include "app/win32/record_list.h"

namespace velmora {

namespace {

// Each list fills the page area under the row of tabs.
constexpr RECT kPageArea = {0, 24, 656, 288};

}  // namespace

RecordTabs::RecordTabs(HWND parent, const RECT& area, HFONT font) {
    tabs_ = CreateWindowExA(0, WC_TABCONTROLA, "",
                            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP,
                            area.left, area.top, area.right - area.left, area.bottom - area.top,
                            parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (tabs_ == nullptr) {
        return;
    }
    SendMessageA(tabs_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (int page = 1; page <= control::kPageCount; ++page) {
        char empty[] = "";
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = empty;
        SendMessageA(tabs_, TCM_INSERTITEMA, page - 1, reinterpret_cast<LPARAM>(&item));
        // The value column of the first list is a little narrower than the others.
        lists_[page - 1] = record_list::create(tabs_, kPageArea, page == 1 ? 127 : 131, font);
    }
    show_current_page();
}

HWND RecordTabs::list(int page) const {
    return has_page(page) ? lists_[page - 1] : nullptr;
}

int RecordTabs::page_of(HWND window) const {
    for (int page = 1; page <= control::kPageCount; ++page) {
        if (window != nullptr && lists_[page - 1] == window) {
            return page;
        }
    }
    return 0;
}

Text RecordTabs::caption(int page) const {
    return has_page(page) ? captions_[page - 1] : Text();
}

bool RecordTabs::set_caption(int page, const Text& caption) {
    if (!has_page(page) || tabs_ == nullptr) {
        return false;
    }
    Text copy = caption;
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = copy.data();
    if (!SendMessageA(tabs_, TCM_SETITEMA, page - 1, reinterpret_cast<LPARAM>(&item))) {
        return false;
    }
    captions_[page - 1] = caption;
    InvalidateRect(tabs_, nullptr, FALSE);
    return true;
}

int RecordTabs::current() const {
    return tabs_ != nullptr ? static_cast<int>(SendMessageA(tabs_, TCM_GETCURSEL, 0, 0)) : -1;
}

void RecordTabs::show_current_page() {
    int shown = current();
    for (int index = 0; index < control::kPageCount; ++index) {
        if (lists_[index] != nullptr) {
            ShowWindow(lists_[index], index == shown ? SW_SHOW : SW_HIDE);
        }
    }
}

}  // namespace velmora
