#include "app/session/page_events.h"

#include <gtest/gtest.h>

#include "base/controls/control_names.h"
#include "base/gbk.h"
#include "base/controls/memory_controls.h"

namespace velmora {
namespace {

class PageEventsTest : public ::testing::Test {
  protected:
    // Fills page `page` as a record load does: the domain row, then `records`
    // rows.
    void fill(int page, const Text& domain_id, int records) {
        const Text& list = control::record_list(page);
        controls_.insert_list_row(list, std::nullopt, domain_id);
        for (int i = 1; i <= records; ++i) {
            int row = controls_.insert_list_row(list);
            controls_.set_list_cell_text(list, row, 0, domain_id + "-" + std::to_string(i));
            controls_.set_list_cell_text(list, row, 1, "host" + std::to_string(i));
            controls_.set_list_cell_text(list, row, 2, "A");
        }
    }
    Text status(int page, int row) {
        return controls_.list_cell_text(control::record_list(page), row, 5);
    }

    MemoryControls controls_;
    PageWatchList watch_;
};

TEST_F(PageEventsTest, TickingCopiesTheRowAndMarksOnlyThatRow) {
    fill(1, "1001", 20);
    on_record_row_checked(controls_, watch_, 1, 14, 1);

    WatchSlot slot = watch_.slot(1, 14);
    EXPECT_EQ(slot.flag, 1);
    EXPECT_EQ(slot.domainId, "1001");
    EXPECT_EQ(slot.recordId, "1001-14");
    EXPECT_EQ(slot.subDomain, "host14");
    EXPECT_EQ(slot.recordType, "A");
    EXPECT_EQ(status(1, 14), gbk("解析中..."));
    EXPECT_EQ(status(1, 13), "");
    EXPECT_EQ(watch_.flag(1, 13), 0);
}

TEST_F(PageEventsTest, UntickingClearsFlagAndMarkButKeepsTheCopies) {
    fill(3, "1003", 3);
    on_record_row_checked(controls_, watch_, 3, 2, 1);
    on_record_row_checked(controls_, watch_, 3, 2, 0);

    WatchSlot slot = watch_.slot(3, 2);
    EXPECT_EQ(slot.flag, 0);
    EXPECT_EQ(slot.recordId, "1003-2");
    EXPECT_EQ(status(3, 2), "");
}

TEST_F(PageEventsTest, RowsThatCannotBeWatchedAndOtherStatesChangeNothing) {
    fill(1, "1001", 41);
    on_record_row_checked(controls_, watch_, 1, 0, 1);
    on_record_row_checked(controls_, watch_, 1, 41, 1);
    on_record_row_checked(controls_, watch_, 1, 5, 2);

    for (int row : {0, 5, 41}) {
        EXPECT_EQ(status(1, row), "") << row;
    }
    for (int slot = 1; slot <= PageWatchList::kSlotCount; ++slot) {
        EXPECT_EQ(watch_.flag(1, slot), 0) << slot;
    }
}

// The AAAA rows follow the A rows on a page, and can be watched like them.
TEST_F(PageEventsTest, AnAaaaRowAfterTwentyARowsCanBeWatched) {
    fill(1, "1001", 21);
    controls_.set_list_cell_text(control::record_list(1), 21, 2, "AAAA");
    EXPECT_TRUE(on_record_row_checked(controls_, watch_, 1, 21, 1));
    EXPECT_EQ(watch_.slot(1, 21).recordType, "AAAA");
    EXPECT_EQ(status(1, 21), gbk("解析中..."));
}

// An address written into a TXT record (an SPF policy, a verification token), MX or
// CNAME destroys what it held at the provider.
TEST_F(PageEventsTest, OnlyAddressRecordsCanBeWatched) {
    fill(1, "1001", 4);
    const Text& list = control::record_list(1);
    std::vector<std::pair<int, int>> events;
    controls_.set_row_check_handler([&](int page, int row, int state) {
        events.push_back({row, state});
        on_record_row_checked(controls_, watch_, page, row, state);
    });
    const char* types[] = {"TXT", "CNAME", "MX", "a"};
    for (int row = 1; row <= 4; ++row) {
        controls_.set_list_cell_text(list, row, 2, types[row - 1]);
        controls_.set_list_row_checked(list, row, true);  // as the user's click
        EXPECT_FALSE(controls_.list_row_checked(list, row)) << types[row - 1];
        EXPECT_EQ(watch_.flag(1, row), 0);
        EXPECT_EQ(status(1, row), "");
    }
    EXPECT_EQ(controls_.message_boxes().size(), 4u);
    EXPECT_EQ(controls_.message_boxes().front().message, gbk("只有A和AAAA记录可以跟随公网IP"));
    EXPECT_EQ(events.size(), 8u);  // each tick, then the tick taken back
}

TEST_F(PageEventsTest, SameRowOnTwoPagesFillsTwoTables) {
    fill(2, "1002", 4);
    fill(5, "2005", 4);
    on_record_row_checked(controls_, watch_, 2, 4, 1);
    on_record_row_checked(controls_, watch_, 5, 4, 1);

    EXPECT_EQ(watch_.slot(2, 4).recordId, "1002-4");
    EXPECT_EQ(watch_.slot(5, 4).recordId, "2005-4");
    EXPECT_EQ(watch_.slot(5, 4).domainId, "2005");
}

TEST_F(PageEventsTest, ConsoleLinkOpensTheTokenPage) {
    Endpoints endpoints;
    endpoints.console_host = "console.velmora.example";
    open_console_token_page(controls_, endpoints);
    EXPECT_EQ(controls_.opened_addresses(),
              TextList{"https://console.velmora.example/account/token"});
}

}  // namespace
}  // namespace velmora
