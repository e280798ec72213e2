// What the in-memory controls add for tests: recorded boxes and addresses, answers, and
// handlers that may use the controls themselves, from more than one thread.
#include "base/controls/memory_controls.h"

#include <gtest/gtest.h>

#include <thread>

#include "base/controls/control_names.h"
#include "base/gbk.h"

namespace velmora {
namespace {

TEST(MemoryControls, RecordsMessageBoxesWithTheDefaultCaptionAndScriptedAnswers) {
    MemoryControls controls;
    EXPECT_EQ(controls.message_box(gbk("请输入ID")), 0);

    Text id_seen_by_handler;
    controls.set_message_box_handler([&](const MemoryControls::ShownMessageBox& box) {
        // The handler may use the controls while the box is "up".
        id_seen_by_handler = controls.edit_text(control::id_edit());
        return box.flags == 4 ? 6 : 1;
    });
    controls.set_edit_text(control::id_edit(), "42");
    EXPECT_EQ(controls.message_box("?", 4, gbk("提示")), 6);
    EXPECT_EQ(id_seen_by_handler, "42");

    auto boxes = controls.message_boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].message, gbk("请输入ID"));
    EXPECT_EQ(boxes[0].caption, gbk("信息："));
    EXPECT_EQ(boxes[0].flags, 0);
    EXPECT_EQ(boxes[1].caption, gbk("提示"));
}

TEST(MemoryControls, RecordsOpenedAddressesInsteadOfOpeningThem) {
    MemoryControls controls;
    controls.open_web_address("https://console.velmora.example/account/token");
    EXPECT_EQ(controls.opened_addresses(),
              TextList{"https://console.velmora.example/account/token"});
}

TEST(MemoryControls, CurrentTabFollowsTheTestWithinTheSixPages) {
    MemoryControls controls;
    EXPECT_TRUE(controls.set_current_tab(5));
    EXPECT_FALSE(controls.set_current_tab(6));
    EXPECT_EQ(controls.current_tab(control::record_tabs()), 5);
}

TEST(MemoryControls, ACheckHandlerMayWriteTheRowWhileTwoThreadsUseTheLists) {
    MemoryControls controls;
    const Text& list = control::record_list(1);
    for (int i = 0; i < 21; ++i) {
        controls.insert_list_row(list);
    }
    int events = 0;
    controls.set_row_check_handler([&](int page, int row, int state) {
        ++events;
        controls.set_list_cell_text(control::record_list(page), row, 5,
                                    state == 1 ? gbk("解析中...") : Text());
    });

    // The update thread's side: reads and refreshes column 3 meanwhile.
    std::thread update([&] {
        for (int pass = 0; pass < 200; ++pass) {
            for (int row = 1; row <= 20; ++row) {
                controls.set_list_cell_text(list, row, 3, std::to_string(pass));
                (void)controls.list_cell_text(list, row, 3);
            }
        }
    });
    for (int row = 1; row <= 20; ++row) {
        controls.set_list_row_checked(list, row, true);
    }
    update.join();

    EXPECT_EQ(events, 20);
    EXPECT_EQ(controls.list_cell_text(list, 20, 5), gbk("解析中..."));
    EXPECT_EQ(controls.list_cell_text(list, 20, 3), "199");
}

// Headless runs log through these controls for months: the run log keeps only its
// newest lines, as the window's does.
}  // namespace
}  // namespace velmora
