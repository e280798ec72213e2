// The behaviour the logic relies on, checked against both implementations of Controls:
// the in-memory one and the program's real main window (Qt on Linux, Win32 on Windows).
#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "app/tests/platform_test_window.h"
#include "base/controls/control_names.h"
#include "base/gbk.h"
#include "base/controls/log_view_limit.h"
#include "base/controls/memory_controls.h"

namespace velmora {
namespace {

struct MemoryWindow {
    Controls& controls() { return memory; }
    MemoryControls memory;
};

struct RealWindow : PlatformTestWindow {
    Controls& controls() { return *controls_; }
};

template <class Window>
class ControlsBehaviour : public testing::Test {
  protected:
    Controls& controls() { return window_.controls(); }
    const Text& list1() { return control::record_list(1); }
    void add_rows(const Text& list, int count) {
        for (int i = 0; i < count; ++i) {
            controls().insert_list_row(list, std::nullopt, "row" + std::to_string(i));
        }
    }

  private:
    Window window_;
};

using Implementations = testing::Types<MemoryWindow, RealWindow>;
class ImplementationNames {
  public:
    template <class T>
    static std::string GetName(int) {
        return std::is_same_v<T, MemoryWindow> ? "Memory" : kPlatformWindowName;
    }
};
TYPED_TEST_SUITE(ControlsBehaviour, Implementations, ImplementationNames);

TYPED_TEST(ControlsBehaviour, StartsAsANewWindow) {
    Controls& c = this->controls();
    EXPECT_EQ(c.window_title(), "Velmora");
    EXPECT_EQ(c.current_tab(control::record_tabs()), 0);
    for (int page = 1; page <= control::kPageCount; ++page) {
        EXPECT_EQ(c.tab_caption(control::record_tabs(), page), "");
        EXPECT_EQ(c.list_row_count(control::record_list(page)), 0);
    }
    EXPECT_EQ(c.edit_text(control::id_edit()), "");
    EXPECT_FALSE(c.check_box_checked(control::remember_box()));
    EXPECT_TRUE(c.control_enabled(control::login_button()));
}

TYPED_TEST(ControlsBehaviour, MissingCellsAndUnknownControlsGiveEmptyResults) {
    Controls& c = this->controls();
    EXPECT_EQ(c.list_cell_text(this->list1(), 0), "");
    this->add_rows(this->list1(), 2);
    EXPECT_EQ(c.list_cell_text(this->list1(), 2, 0), "");
    EXPECT_EQ(c.list_cell_text(this->list1(), -1, 0), "");
    EXPECT_EQ(c.list_cell_text(this->list1(), 1, 6), "");
    EXPECT_EQ(c.list_cell_text(this->list1(), 1, -1), "");
    EXPECT_FALSE(c.list_row_checked(this->list1(), 2));

    // Writing cells that do not exist changes nothing.
    c.set_list_cell_text(this->list1(), 2, 0, "x");
    c.set_list_cell_text(this->list1(), 1, 6, "x");
    EXPECT_EQ(c.list_row_count(this->list1()), 2);

    const Text unknown = gbk("超级列表框7");
    EXPECT_EQ(c.insert_list_row(unknown), -1);
    EXPECT_EQ(c.list_row_count(unknown), 0);
    EXPECT_FALSE(c.delete_list_row(unknown, 0));
    EXPECT_EQ(c.edit_text(unknown), "");
    EXPECT_EQ(c.tab_caption(unknown, 1), "");
    EXPECT_EQ(c.current_tab(unknown), -1);
    EXPECT_FALSE(c.control_enabled(unknown));
    // A control of another kind is not an edit box or a list.
    EXPECT_EQ(c.insert_list_row(control::run_log()), -1);
    EXPECT_EQ(c.edit_text(this->list1()), "");
}

TYPED_TEST(ControlsBehaviour, InsertWithoutPositionAppendsAndOtherwiseShifts) {
    Controls& c = this->controls();
    this->add_rows(this->list1(), 3);
    EXPECT_EQ(c.insert_list_row(this->list1(), std::nullopt, "end"), 3);
    EXPECT_EQ(c.insert_list_row(this->list1(), -5, "negative"), 4);
    EXPECT_EQ(c.insert_list_row(this->list1(), 99, "past"), 5);
    EXPECT_EQ(c.insert_list_row(this->list1(), 0, "first"), 0);

    EXPECT_EQ(c.list_row_count(this->list1()), 7);
    EXPECT_EQ(c.list_cell_text(this->list1(), 0), "first");
    EXPECT_EQ(c.list_cell_text(this->list1(), 1), "row0");
    EXPECT_EQ(c.list_cell_text(this->list1(), 4, 0), "end");
    EXPECT_EQ(c.list_cell_text(this->list1(), 6, 0), "past");
    EXPECT_EQ(c.list_cell_text(this->list1(), 4, 1), "");
    EXPECT_FALSE(c.list_row_checked(this->list1(), 4));
}

TYPED_TEST(ControlsBehaviour, CellsKeepTheirTextsPerListRowAndColumn) {
    Controls& c = this->controls();
    const Text& list2 = control::record_list(2);
    this->add_rows(this->list1(), 2);
    this->add_rows(list2, 2);
    for (int column = 0; column < 6; ++column) {
        c.set_list_cell_text(this->list1(), 1, column, "c" + std::to_string(column));
    }
    c.set_list_cell_text(list2, 1, 5, gbk("解析中..."));
    EXPECT_EQ(c.list_cell_text(this->list1(), 1, 3), "c3");
    EXPECT_EQ(c.list_cell_text(this->list1(), 1, 5), "c5");
    EXPECT_EQ(c.list_cell_text(list2, 1, 5), gbk("解析中..."));
    EXPECT_EQ(c.list_cell_text(list2, 1, 3), "");
    c.set_list_cell_text(this->list1(), 1, 3);
    EXPECT_EQ(c.list_cell_text(this->list1(), 1, 3), "");
}

TYPED_TEST(ControlsBehaviour, LongCellTextComesBackWhole) {
    Controls& c = this->controls();
    Text long_text;
    while (long_text.size() < 1500) {
        long_text += gbk("记录值") + "-0123456789";
    }
    this->add_rows(this->list1(), 1);
    c.set_list_cell_text(this->list1(), 0, 3, long_text);
    EXPECT_EQ(c.list_cell_text(this->list1(), 0, 3), long_text);
}

TYPED_TEST(ControlsBehaviour, ClearListDeletesEveryRowAndDeleteReportsMissingRows) {
    Controls& c = this->controls();
    c.clear_list(this->list1());
    EXPECT_EQ(c.list_row_count(this->list1()), 0);

    this->add_rows(this->list1(), 20);
    this->add_rows(control::record_list(6), 1);
    EXPECT_FALSE(c.delete_list_row(this->list1(), 20));
    EXPECT_FALSE(c.delete_list_row(this->list1(), -1));
    EXPECT_TRUE(c.delete_list_row(this->list1(), 1));
    EXPECT_EQ(c.list_cell_text(this->list1(), 1), "row2");
    c.clear_list(this->list1());
    EXPECT_EQ(c.list_row_count(this->list1()), 0);
    EXPECT_EQ(c.list_row_count(control::record_list(6)), 1);
}

TYPED_TEST(ControlsBehaviour, TabCaptionsExistForPagesOneToSixOnly) {
    Controls& c = this->controls();
    const Text& tabs = control::record_tabs();
    EXPECT_FALSE(c.set_tab_caption(tabs, 0, "zero"));
    EXPECT_FALSE(c.set_tab_caption(tabs, 7, "seven"));
    EXPECT_TRUE(c.set_tab_caption(tabs, 1, gbk("例子.com")));
    EXPECT_TRUE(c.set_tab_caption(tabs, 6, "six.example"));
    EXPECT_EQ(c.tab_caption(tabs, 0), "");
    EXPECT_EQ(c.tab_caption(tabs, 7), "");
    EXPECT_EQ(c.tab_caption(tabs, 1), gbk("例子.com"));
    EXPECT_EQ(c.tab_caption(tabs, 2), "");
    EXPECT_EQ(c.tab_caption(tabs, 6), "six.example");
}

TYPED_TEST(ControlsBehaviour, AppendsAccumulateInOrderAtTheEnd) {
    Controls& c = this->controls();
    const Text line = gbk("[2024-01-01 08:00:00]：公网IP无变化") + "\r\n";
    c.append_to_edit(control::run_log(), {line, "b"});
    c.append_to_edit(control::run_log(), {"c\r\n"});
    EXPECT_EQ(c.edit_text(control::run_log()), line + "bc\r\n");

    c.set_edit_text(control::id_edit(), "12345");
    c.append_to_edit(control::id_edit(), {"6"});
    EXPECT_EQ(c.edit_text(control::id_edit()), "123456");
    c.set_edit_text(control::token_edit(), gbk("令牌"));
    EXPECT_EQ(c.edit_text(control::token_edit()), gbk("令牌"));
}

TYPED_TEST(ControlsBehaviour, TheRunLogKeepsItsNewestLinesOneAppendOrManyAtATime) {
    Controls& c = this->controls();
    const auto lines_of = [](const Text& text) {
        std::size_t lines = 0;
        for (auto at = text.find("\r\n"); at != Text::npos; at = text.find("\r\n", at + 2)) {
            ++lines;
        }
        return lines;
    };
    for (int n = 1; n <= 5000; ++n) {
        c.append_to_edit(control::run_log(), {"line " + std::to_string(n) + "\r\n"});
    }
    Text log = c.edit_text(control::run_log());
    const std::size_t lines = lines_of(log);
    EXPECT_GE(lines, static_cast<std::size_t>(kLogLinesKept));
    EXPECT_LE(lines, static_cast<std::size_t>(kLogLinesKept + kLogLinesDroppedAtOnce));
    EXPECT_TRUE(log.starts_with("line " + std::to_string(5001 - lines) + "\r\n"));
    EXPECT_TRUE(log.ends_with("\r\nline 5000\r\n"));

    // One large batch is cut in as many whole blocks as it needs.
    c.set_edit_text(control::run_log(), "");
    TextList batch;
    for (int n = 1; n <= 1750; ++n) {
        batch.push_back("line " + std::to_string(n) + "\r\n");
    }
    c.append_to_edit(control::run_log(), batch);
    log = c.edit_text(control::run_log());
    EXPECT_EQ(lines_of(log), static_cast<std::size_t>(kLogLinesKept + 50));
    EXPECT_TRUE(log.starts_with("line 701\r\n"));

    // Other edit boxes are not logs.
    c.set_edit_text(control::token_edit(), Text(3000, 'x'));
    c.append_to_edit(control::token_edit(), {"\r\n"});
    EXPECT_EQ(c.edit_text(control::token_edit()).size(), 3002u);
}

TYPED_TEST(ControlsBehaviour, RowCheckEventsComeOncePerRealChangeOnly) {
    Controls& c = this->controls();
    std::vector<std::tuple<int, int, int>> events;
    c.set_row_check_handler(
        [&events](int page, int row, int state) { events.emplace_back(page, row, state); });
    const Text& list3 = control::record_list(3);
    this->add_rows(list3, 3);

    c.set_list_row_checked(list3, 2, true);
    c.set_list_row_checked(list3, 2, true);
    c.set_list_cell_text(list3, 2, 0, "new id");
    c.set_list_cell_text(list3, 2, 5, gbk("解析中..."));
    c.set_list_row_checked(list3, 7, true);
    EXPECT_TRUE(c.list_row_checked(list3, 2));
    c.set_list_row_checked(list3, 2, false);
    c.set_list_row_checked(list3, 2, false);

    std::vector<std::tuple<int, int, int>> expected = {{3, 2, 1}, {3, 2, 0}};
    EXPECT_EQ(events, expected);

    // A row deleted while ticked is not an event either.
    c.set_list_row_checked(list3, 0, true);
    c.clear_list(list3);
    EXPECT_EQ(events.size(), 3u);
}

TYPED_TEST(ControlsBehaviour, CheckBoxTitleAndEnablingAreKept) {
    Controls& c = this->controls();
    c.set_check_box_checked(control::remember_box(), true);
    EXPECT_TRUE(c.check_box_checked(control::remember_box()));
    c.set_window_title(gbk("Velmora|本机外网IP：") + "203.0.113.7");
    EXPECT_EQ(c.window_title(), gbk("Velmora|本机外网IP：") + "203.0.113.7");
    c.set_control_enabled(control::login_button(), false);
    EXPECT_FALSE(c.control_enabled(control::login_button()));
    c.set_control_enabled(control::login_button(), true);
    EXPECT_TRUE(c.control_enabled(control::login_button()));
}

}  // namespace
}  // namespace velmora
