#include "app/win32/record_list.h"

#include <array>
#include <string>
#include <vector>

#include "base/win32/wide_text.h"

namespace velmora::record_list {

namespace {

constexpr int kFirstReadSize = 512;
// State image 1 is the empty box, 2 the ticked one; 0 means the row has no box yet.
constexpr UINT kUnticked = 1;
constexpr UINT kTicked = 2;

bool has_cell(HWND list, int row, int column) {
    return row >= 0 && row < row_count(list) && column >= 0 && column < kColumnCount;
}

UINT state_image(UINT state) {
    return (state & LVIS_STATEIMAGEMASK) >> 12;
}

}  // namespace

HWND create(HWND parent, const RECT& area, const std::array<layout::Column, kColumnCount>& columns,
            HFONT font) {
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL, area.left,
                                area.top, area.right - area.left, area.bottom - area.top, parent,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    if (list == nullptr) {
        return nullptr;
    }
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    SendMessageW(list, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
    SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, RGB(255, 255, 255));
    SendMessageW(list, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));

    for (int column = 0; column < kColumnCount; ++column) {
        std::wstring header = wide_text(columns[column].caption);
        LVCOLUMNW description{};
        description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        description.fmt = columns[column].left_aligned ? LVCFMT_LEFT : LVCFMT_CENTER;
        description.cx = columns[column].width;
        description.pszText = header.data();
        description.iSubItem = column;
        SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&description));
    }
    return list;
}

Text cell_text(HWND list, int row, int column) {
    if (!has_cell(list, row, column)) {
        return {};
    }
    // The list says only how much it copied, so a full buffer may mean a longer text.
    std::vector<wchar_t> buffer(kFirstReadSize);
    while (true) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        auto length = static_cast<std::size_t>(SendMessageW(
            list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (length < buffer.size() - 1) {
            return text_from_wide({buffer.data(), length});
        }
        buffer.resize(buffer.size() * 2);
    }
}

void set_cell_text(HWND list, int row, int column, const Text& text) {
    if (!has_cell(list, row, column)) {
        return;
    }
    std::wstring wide = wide_text(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int insert_row(HWND list, int position, const Text& caption) {
    std::wstring wide = wide_text(caption);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = position >= 0 ? position : row_count(list);
    item.pszText = wide.data();
    return static_cast<int>(
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int row_count(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

bool delete_row(HWND list, int row) {
    return has_cell(list, row, 0) && SendMessageW(list, LVM_DELETEITEM, row, 0) != FALSE;
}

bool row_checked(HWND list, int row) {
    if (!has_cell(list, row, 0)) {
        return false;
    }
    auto state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return state_image(state) == kTicked;
}

void set_row_checked(HWND list, int row, bool checked) {
    // Row -1 would address every row.
    if (!has_cell(list, row, 0)) {
        return;
    }
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? kTicked : kUnticked);
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int check_change(const NMLISTVIEW& change) {
    if (change.iItem < 0 || (change.uChanged & LVIF_STATE) == 0) {
        return -1;
    }
    UINT before = state_image(change.uOldState);
    UINT after = state_image(change.uNewState);
    if (before == 0 || after == 0 || before == after) {
        return -1;
    }
    return after == kTicked ? 1 : 0;
}

}  // namespace velmora::record_list
