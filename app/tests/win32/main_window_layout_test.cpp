// The Win32 main window as the user sees it: the frame, where every control sits, the
// record lists' columns, and captions that fit their controls in the fonts that draw them.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <string>

#include "app/win32/main_window.h"
#include "app/window/window_layout.h"
#include "base/controls/control_names.h"
#include "base/win32/wide_text.h"

namespace velmora {
namespace {

RECT in_parent(HWND control) {
    RECT area;
    GetWindowRect(control, &area);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&area), 2);
    return area;
}

std::string describe(const RECT& area) {
    return std::to_string(area.left) + "," + std::to_string(area.top) + " " +
           std::to_string(area.right - area.left) + "x" + std::to_string(area.bottom - area.top);
}

std::string describe(const layout::Area& area) {
    return describe(RECT{area.left, area.top, area.right(), area.bottom()});
}

SIZE text_extent(HWND control, const std::wstring& text) {
    HDC context = GetDC(control);
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ previous = SelectObject(context, font);
    SIZE extent{};
    GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(context, previous);
    ReleaseDC(control, context);
    return extent;
}

LOGFONTW font_of(HWND control) {
    LOGFONTW description{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof description,
               &description);
    return description;
}

class MainWindowLayout : public testing::Test {
  protected:
    MainWindowLayout() { window_.present(); }

    HWND control(const Text& name) {
        const MainWindow::Control* found = window_.find(name);
        EXPECT_NE(found, nullptr) << name;
        return found != nullptr ? found->handle : nullptr;
    }

    MainWindow window_;
};

TEST_F(MainWindowLayout, AFixedCentredFrameAroundTheDesignedClientArea) {
    HWND frame = window_.handle();
    RECT client;
    GetClientRect(frame, &client);
    EXPECT_EQ(describe(client),
              describe(layout::Area{0, 0, layout::kClientWidth, layout::kClientHeight}));

    const auto style = static_cast<DWORD>(GetWindowLongW(frame, GWL_STYLE));
    const auto extended = static_cast<DWORD>(GetWindowLongW(frame, GWL_EXSTYLE));
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              DWORD(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    EXPECT_EQ(extended & WS_EX_TOPMOST, 0u);

    RECT outer, work;
    GetWindowRect(frame, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(outer.left + outer.right, work.left + work.right, 1);
    EXPECT_NEAR(outer.top + outer.bottom, work.top + work.bottom, 1);
}

TEST_F(MainWindowLayout, ControlsSitWhereTheLayoutTablePutsThem) {
    for (const layout::ControlLayout& expected : layout::controls()) {
        HWND found = control(expected.name);
        EXPECT_EQ(GetParent(found), window_.handle()) << expected.name;
        EXPECT_EQ(describe(in_parent(found)), describe(expected.area)) << expected.name;
    }

    HWND tabs = control(control::record_tabs());
    ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), control::kPageCount);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
    for (int page = 1; page <= control::kPageCount; ++page) {
        HWND list = control(control::record_list(page));
        EXPECT_EQ(GetParent(list), tabs);
        EXPECT_EQ(describe(in_parent(list)), describe(layout::kPageArea)) << "page " << page;
        // Only the current page's list shows.
        EXPECT_EQ(IsWindowVisible(list) != FALSE, page == 1) << "page " << page;
    }
}

TEST_F(MainWindowLayout, ListsHaveTheSixColumnsAndPageOneFitsWithoutScrolling) {
    for (int page = 1; page <= control::kPageCount; ++page) {
        HWND list = control(control::record_list(page));
        HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
        ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), control::column::kCount);
        for (int column = 0; column < control::column::kCount; ++column) {
            const layout::Column& designed = layout::record_columns(page)[column];
            wchar_t text[64] = {};
            LVCOLUMNW description{};
            description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
            description.pszText = text;
            description.cchTextMax = 64;
            SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&description));
            const std::wstring expected = wide_text(designed.caption);
            EXPECT_EQ(std::wstring(text), expected);
            EXPECT_EQ(description.cx, designed.width) << page << "/" << column;
            EXPECT_EQ(description.fmt & LVCFMT_JUSTIFYMASK,
                      designed.left_aligned ? LVCFMT_LEFT : LVCFMT_CENTER);
            // The header's text with the margins a header item keeps on either side.
            EXPECT_LE(text_extent(header, expected).cx + 12, description.cx) << expected;
        }
    }
    // Page 1's columns fit inside the list's frame.
    int total = 0;
    for (const layout::Column& column : layout::record_columns(1)) {
        total += column.width;
    }
    HWND first = control(control::record_list(1));
    RECT inside;
    GetClientRect(first, &inside);
    EXPECT_GE(inside.right, total);
    EXPECT_EQ(GetWindowLongW(first, GWL_STYLE) & WS_HSCROLL, 0);
}

TEST_F(MainWindowLayout, CaptionsFitTheirControlsInTheirFonts) {
    const LOGFONTW id_font = font_of(control(control::label(1)));
    EXPECT_EQ(id_font.lfHeight, -16);
    EXPECT_EQ(id_font.lfWeight, FW_BOLD);
    EXPECT_EQ(id_font.lfCharSet, GB2312_CHARSET);
    EXPECT_EQ(std::wstring(id_font.lfFaceName), L"微软雅黑");
    const LOGFONTW link_font = font_of(control(control::label(3)));
    EXPECT_EQ(link_font.lfHeight, -12);
    EXPECT_EQ(link_font.lfWeight, 290);
    EXPECT_TRUE(link_font.lfUnderline);
    EXPECT_EQ(std::wstring(link_font.lfFaceName), L"微软雅黑 Light");

    const struct {
        const Text& name;
        std::wstring caption;
        int room;  // what the control itself takes of its width
    } captions[] = {
        {control::label(1), L"ID", 0},
        {control::label(2), L"Token", 0},
        {control::label(3), L"注册ID\\官网", 0},
        {control::login_button(), L"登入", 8},
        {control::remember_box(), L"记住数据", GetSystemMetrics(SM_CXMENUCHECK) + 4},
    };
    for (const auto& expected : captions) {
        HWND found = control(expected.name);
        wchar_t text[64] = {};
        GetWindowTextW(found, text, 64);
        EXPECT_EQ(std::wstring(text), expected.caption);
        RECT area;
        GetClientRect(found, &area);
        const SIZE extent = text_extent(found, expected.caption);
        EXPECT_LE(extent.cx + expected.room, area.right) << expected.caption;
        EXPECT_LE(extent.cy, area.bottom) << expected.caption;
    }

    // The labels draw only their text, the link in pure blue.
    HDC context = CreateCompatibleDC(nullptr);
    for (int n = 1; n <= 3; ++n) {
        HWND label = control(control::label(n));
        LRESULT brush =
            SendMessageW(window_.handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context),
                         reinterpret_cast<LPARAM>(label));
        EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
        EXPECT_EQ(GetBkMode(context), TRANSPARENT);
        EXPECT_EQ(GetTextColor(context), n == 3 ? RGB(0, 0, 255) : RGB(0, 0, 0));
    }
    DeleteDC(context);
}

}  // namespace
}  // namespace velmora
