#include "base/event_pump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace velmora {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// Generous: only catches a wait that was not interrupted at all (two minutes).
constexpr auto kPrompt = std::chrono::seconds(20);

class DelayTest : public testing::Test {
  protected:
    void TearDown() override { reset_shutdown(); }
};

// A pump that records its calls. Each wait lasts at most `slice` (a window event ending
// the nested loop early) or until interrupt(), and honours an interrupt that arrived
// before it started, as the contract asks.
class RecordingPump : public EventPump {
  public:
    explicit RecordingPump(milliseconds slice = milliseconds(1000)) : slice_(slice) {}

    void process_events() override { ++processed; }

    void wait(milliseconds duration) override {
        std::unique_lock lock(mutex_);
        waits.push_back(duration);
        wake_.wait_for(lock, std::min(duration, slice_), [this] { return interrupted_; });
        interrupted_ = false;
    }

    void interrupt() override {
        {
            std::lock_guard lock(mutex_);
            interrupted_ = true;
        }
        wake_.notify_all();
    }

    std::atomic<int> processed = 0;
    std::vector<milliseconds> waits;  // read only after the waiting thread is done

  private:
    milliseconds slice_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool interrupted_ = false;
};

TEST(DelayDuration, MapsTheUnits) {
    EXPECT_EQ(delay_duration(100, 0), milliseconds(100));
    EXPECT_EQ(delay_duration(3, 1), milliseconds(3000));
    EXPECT_EQ(delay_duration(2, 2), milliseconds(120000));
    EXPECT_EQ(delay_duration(2, 3), milliseconds(7200000));
    EXPECT_EQ(delay_duration(7, 5), milliseconds(35));  // any other unit multiplies
    EXPECT_EQ(delay_duration(2147483647, 3), milliseconds(2147483647LL * 3600000));
}

TEST_F(DelayTest, WaitsTheWholeTimeWithoutAPump) {
    auto start = Clock::now();
    EXPECT_TRUE(delay(100, 0));
    auto waited = Clock::now() - start;
    EXPECT_GE(waited, milliseconds(100));
    EXPECT_LT(waited, kPrompt);
}

TEST_F(DelayTest, NonPositiveDurationsReturnAtOnce) {
    EXPECT_TRUE(delay(0, 2));
    EXPECT_TRUE(delay(-5, 1));
    EXPECT_TRUE(delay(5, -1));
}

TEST_F(DelayTest, ShutdownEndsEveryWaitingDelayAtOnce) {
    auto start = Clock::now();
    std::vector<std::future<bool>> waits;
    for (int i = 0; i < 3; ++i) {
        waits.push_back(std::async(std::launch::async, [] { return delay(2, 2); }));
    }
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_FALSE(shutdown_requested());
    request_shutdown();
    for (auto& wait : waits) {
        EXPECT_FALSE(wait.get());
    }
    EXPECT_LT(Clock::now() - start, kPrompt);
    EXPECT_TRUE(shutdown_requested());
}

TEST_F(DelayTest, DelaysAfterShutdownReturnFalseUntilReset) {
    request_shutdown();
    EXPECT_FALSE(delay(2, 3));
    EXPECT_FALSE(delay(0, 0));
    reset_shutdown();
    EXPECT_FALSE(shutdown_requested());
    EXPECT_TRUE(delay(1, 0));
}

TEST_F(DelayTest, HugeDelaysStillWaitAndCanBeInterrupted) {
    auto wait = std::async(std::launch::async, [] { return delay(2147483647, 3); });
    std::this_thread::sleep_for(milliseconds(20));
    request_shutdown();
    EXPECT_FALSE(wait.get());
}

TEST_F(DelayTest, ProcessEventsWithoutAPumpReturnsAtOnce) {
    process_events();  // nothing to check but that it returns
}

TEST_F(DelayTest, APumpServesOnlyTheThreadThatInstalledIt) {
    RecordingPump pump;
    install_event_pump(&pump);
    process_events();
    EXPECT_EQ(pump.processed, 1);

    std::thread other([] {
        process_events();
        EXPECT_TRUE(delay(5, 0));  // on the timer, not in this thread's pump
    });
    other.join();
    EXPECT_EQ(pump.processed, 1);
    EXPECT_TRUE(pump.waits.empty());

    install_event_pump(nullptr);
    process_events();
    EXPECT_EQ(pump.processed, 1);
}

TEST_F(DelayTest, DelayWithAPumpWaitsInItUntilTheFullTimeHasPassed) {
    RecordingPump pump(milliseconds(10));  // every wait ends early
    install_event_pump(&pump);
    auto start = Clock::now();
    EXPECT_TRUE(delay(60, 0));
    EXPECT_GE(Clock::now() - start, milliseconds(60));
    install_event_pump(nullptr);

    ASSERT_GE(pump.waits.size(), 2u);
    EXPECT_LE(pump.waits.front(), milliseconds(60));
    for (size_t i = 1; i < pump.waits.size(); ++i) {
        EXPECT_LE(pump.waits[i], pump.waits[i - 1]);  // only the remaining time
    }
}

TEST_F(DelayTest, ShutdownInterruptsAWaitInsideAPump) {
    RecordingPump pump(milliseconds(200000));
    std::promise<void> installed;
    auto wait = std::async(std::launch::async, [&] {
        install_event_pump(&pump);
        installed.set_value();
        bool finished = delay(2, 2);
        install_event_pump(nullptr);
        return finished;
    });
    installed.get_future().wait();
    std::this_thread::sleep_for(milliseconds(50));
    auto start = Clock::now();
    request_shutdown();
    EXPECT_FALSE(wait.get());
    EXPECT_LT(Clock::now() - start, kPrompt);
}

// A nudge ends the waits that asked for one, with or without a pump, and one that came
// after the count was read ends the wait at once; plain delays sleep through it.
TEST_F(DelayTest, ANudgeEndsOnlyTheWaitsThatAskedForOne) {
    const auto nudged_wait = [](EventPump* pump) {
        return std::async(std::launch::async, [pump] {
            install_event_pump(pump);
            const auto start = Clock::now();
            const bool finished = delay_unless_nudged(std::chrono::minutes(2), nudge_count());
            install_event_pump(nullptr);
            return std::pair(finished, Clock::now() - start);
        });
    };
    RecordingPump pump(std::chrono::minutes(10));
    auto on_timer = nudged_wait(nullptr);
    auto in_pump = nudged_wait(&pump);
    auto plain = std::async(std::launch::async, [] {
        const auto start = Clock::now();
        delay(300, 0);
        return Clock::now() - start;
    });
    std::this_thread::sleep_for(milliseconds(50));
    nudge_delays();
    for (auto* wait : {&on_timer, &in_pump}) {
        const auto [finished, waited] = wait->get();
        EXPECT_TRUE(finished);
        EXPECT_LT(waited, kPrompt);
    }
    EXPECT_GE(plain.get(), milliseconds(300));

    const std::uint64_t seen = nudge_count();
    nudge_delays();
    const auto start = Clock::now();
    EXPECT_TRUE(delay_unless_nudged(std::chrono::minutes(2), seen));
    EXPECT_LT(Clock::now() - start, kPrompt);
    request_shutdown();
    EXPECT_FALSE(delay_unless_nudged(std::chrono::minutes(2), nudge_count()));
}

#ifdef _WIN32
// A thread without a pump still has a message queue on Windows: process_events and delay
// hand its messages to its windows, and leave a quit message for the thread's own loop.
std::atomic<int> handled_messages = 0;

LRESULT CALLBACK count_user_messages(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_USER) {
        ++handled_messages;
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

TEST_F(DelayTest, WithoutAPumpTheThreadsOwnMessagesAreHandled) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = count_user_messages;
    window_class.lpszClassName = L"VelmoraDelayTest";
    ASSERT_NE(RegisterClassW(&window_class), 0);
    HWND window = CreateWindowW(L"VelmoraDelayTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(window, nullptr);

    for (int i = 0; i < 3; ++i) {
        PostMessageW(window, WM_USER, 0, 0);
    }
    process_events();
    EXPECT_EQ(handled_messages, 3);

    // Posted from another thread while the delay waits: handled before it returns.
    std::thread poster([window] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostMessageW(window, WM_USER, 0, 0);
    });
    EXPECT_TRUE(delay(200, 0));
    poster.join();
    EXPECT_EQ(handled_messages, 4);

    // Posted in order (PostQuitMessage would only flag a quit for when the queue is empty).
    PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 0, 0);
    PostMessageW(window, WM_USER, 0, 0);
    process_events();
    EXPECT_EQ(handled_messages, 4) << "nothing is taken past the quit message";
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));

    DestroyWindow(window);
}
#endif

}  // namespace
}  // namespace velmora
