#include "app/win32/record_tabs.h"

#include <commctrl.h>

#include <string>

#include "app/win32/record_list.h"
#include "app/window/window_layout.h"
#include "base/win32/wide_text.h"

namespace velmora {

namespace {

// Each list fills the page area under the row of tabs.
constexpr RECT kPageArea = {layout::kPageArea.left, layout::kPageArea.top,
                            layout::kPageArea.right(), layout::kPageArea.bottom()};

}  // namespace

RecordTabs::RecordTabs(HWND parent, const RECT& area, HFONT font) {
    tabs_ = CreateWindowExW(0, WC_TABCONTROLW, L"",
                            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP,
                            area.left, area.top, area.right - area.left, area.bottom - area.top,
                            parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (tabs_ == nullptr) {
        return;
    }
    SendMessageW(tabs_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (int page = 1; page <= control::kPageCount; ++page) {
        wchar_t empty[] = L"";
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = empty;
        SendMessageW(tabs_, TCM_INSERTITEMW, page - 1, reinterpret_cast<LPARAM>(&item));
        lists_[page - 1] =
            record_list::create(tabs_, kPageArea, layout::record_columns(page), font);
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
    std::wstring wide = wide_text(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = wide.data();
    if (!SendMessageW(tabs_, TCM_SETITEMW, page - 1, reinterpret_cast<LPARAM>(&item))) {
        return false;
    }
    captions_[page - 1] = caption;
    InvalidateRect(tabs_, nullptr, FALSE);
    return true;
}

int RecordTabs::current() const {
    return tabs_ != nullptr ? static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)) : -1;
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
