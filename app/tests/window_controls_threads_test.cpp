// Calls into the real window's controls from a worker thread, on either toolkit: served
// on the window thread while it pumps, and released rather than left hanging once the
// window closes.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "app/tests/platform_test_window.h"
#include "base/controls/control_names.h"
#include "base/gbk.h"

namespace velmora {
namespace {

// Generous bound for "it did not hang"; never reached when things work.
constexpr auto kHangLimit = std::chrono::seconds(20);

class WindowControlsThreads : public testing::Test, public PlatformTestWindow {};

TEST_F(WindowControlsThreads, WorkerCallsRunOnTheWindowThreadAndReturnTheirResults) {
    const Text& list = control::record_list(2);
    const std::thread::id window_thread = std::this_thread::get_id();
    std::vector<bool> handler_on_window_thread;
    controls_->set_row_check_handler([&](int, int, int) {
        handler_on_window_thread.push_back(std::this_thread::get_id() == window_thread);
    });

    bool all_right = false;
    run_on_worker_while_pumping([&] {
        Controls& c = *controls_;
        std::vector<int> indexes;
        for (int i = 0; i < 30; ++i) {
            indexes.push_back(c.insert_list_row(list, std::nullopt, std::to_string(i)));
            c.set_list_cell_text(list, i, control::column::kValue, gbk("值") + std::to_string(i));
        }
        c.set_list_row_checked(list, 5, true);
        c.append_to_edit(control::run_log(), {"one\r\n", "two\r\n"});
        all_right = c.list_row_count(list) == 30 && indexes[29] == 29 &&
                    c.list_cell_text(list, 17, control::column::kValue) == gbk("值") + "17" &&
                    c.list_cell_text(list, 17, 0) == "17" && c.list_row_checked(list, 5) &&
                    c.edit_text(control::run_log()) == "one\r\ntwo\r\n";
        c.clear_list(list);
        all_right = all_right && c.list_row_count(list) == 0;
    });

    EXPECT_TRUE(all_right);
    EXPECT_EQ(handler_on_window_thread, std::vector<bool>{true});
}

TEST_F(WindowControlsThreads, AWaitingCallIsReleasedWhenTheWindowCloses) {
    // The worker's box is up on the window thread; closing the window meanwhile must free
    // the worker at once with the empty result, without the box being answered first.
    std::promise<int> worker_answer;
    std::future<int> answered = worker_answer.get_future();
    bool released_while_box_up = false;
    answer_boxes([&] {
        window_.close();
        released_while_box_up = answered.wait_for(kHangLimit) == std::future_status::ready;
    });

    run_on_worker_while_pumping([&] { worker_answer.set_value(controls_->message_box("bye", 4)); });
    EXPECT_TRUE(released_while_box_up);
    EXPECT_EQ(answered.get(), 0);
}

TEST_F(WindowControlsThreads, CallsAfterTheWindowClosedReturnEmptyAtOnce) {
    controls_->insert_list_row(control::record_list(1), std::nullopt, "kept");
    controls_->set_window_title("title");
    window_.close();

    // Nobody pumps from here on: a call that waited for the window would hang.
    auto worker = std::async(std::launch::async, [&] {
        Controls& c = *controls_;
        return c.list_row_count(control::record_list(1)) == 0 &&
               c.list_cell_text(control::record_list(1), 0) == "" &&
               c.insert_list_row(control::record_list(1)) == -1 && c.window_title() == "" &&
               c.message_box("late") == 0 && !c.set_tab_caption(control::record_tabs(), 1, "x");
    });
    ASSERT_EQ(worker.wait_for(kHangLimit), std::future_status::ready);
    EXPECT_TRUE(worker.get());
    // The window thread gets the empty results too.
    EXPECT_EQ(controls_->list_row_count(control::record_list(1)), 0);
}

}  // namespace
}  // namespace velmora
