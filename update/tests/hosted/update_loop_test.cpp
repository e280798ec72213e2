#include "update/update_loop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "base/event_pump.h"
#include "update/tests/support/update_fixture.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

class UpdateLoopTest : public testing::UpdateTest {
  protected:
    void TearDown() override {
        reset_shutdown();
        UpdateTest::TearDown();
    }

    // Polls until the sandbox has had `requests` Record.List requests (a pass over the
    // three named pages makes six: their A and their AAAA lists).
    bool wait_for_record_lists(std::uint64_t requests) {
        for (int i = 0; i < 3000; ++i) {
            if (count("Record.List") >= requests) {
                return true;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
};

TEST_F(UpdateLoopTest, OneLoopPerProcessAndShutdownEndsItsPause) {
    log_in();
    endpoints_.update_period = std::chrono::seconds(120);
    UpdateLoop loop(controls_, endpoints_, watch_, log_);
    EXPECT_TRUE(loop.start());
    EXPECT_FALSE(loop.start());  // a second login leaves the running loop alone
    ASSERT_TRUE(wait_for_record_lists(6));

    // The loop now sits in its two-minute pause; stopping must not wait it out. The
    // bound only tells an interrupted pause from a finished one.
    auto stopped = std::async(std::launch::async, [&] { loop.stop(); });
    EXPECT_EQ(stopped.wait_for(30s), std::future_status::ready);
    stopped.wait();
    EXPECT_EQ(count("Record.List"), 6u);
}

TEST_F(UpdateLoopTest, TickingAndUntickingWhileTheLoopRuns) {
    sandbox_.set_public_address("198.51.100.10");
    log_in();
    UpdateLoop loop(controls_, endpoints_, watch_, log_);
    ASSERT_TRUE(loop.start());

    // The window thread's side: tick and untick every slot while passes go on, as the
    // row check boxes do.
    std::thread ticking([&] {
        for (int round = 0; round < 40; ++round) {
            for (int page = 1; page <= 3; ++page) {
                for (int slot = 1; slot <= PageWatchList::kSlotCount; ++slot) {
                    if ((round + slot) % 2 == 0) {
                        watch_row(page, slot);
                    } else {
                        watch_.set_flag(page, slot, 0);
                    }
                }
            }
            std::this_thread::sleep_for(5ms);
        }
    });
    ticking.join();
    ASSERT_TRUE(wait_for_record_lists(12));
    loop.stop();
    EXPECT_EQ(controls_.message_boxes().size(), 1u);  // the login's; the loop shows none
}

TEST_F(UpdateLoopTest, TheFirstPassDuringALoginAsksOnlyForLoadedPages) {
    endpoints_.update_period = std::chrono::seconds(120);
    UpdateLoop loop(controls_, endpoints_, watch_, log_);
    // As the login does: name the pages, then load each with a short pause after it.
    // Page 1's load starts the loop, whose first pass runs while pages 2 and 3 still load.
    lookup_domains(context());
    for (int page = 1; page <= 3; ++page) {
        if (load_record_page(context(), page)) {
            ASSERT_TRUE(loop.start());
        }
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_TRUE(wait_for_record_lists(8));  // the three loads and page 1's refresh
    loop.stop();
    for (const Text& body : bodies("Record.List")) {
        EXPECT_EQ(body.find("&domain_id=&"), std::string::npos) << body;
    }
}

}  // namespace
}  // namespace velmora
