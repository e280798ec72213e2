// The login at start that waits for the network: how often it says so, what the tray
// hears, and a network change that ends a long wait.
#include "app/session/login_retry.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "base/controls/control_names.h"
#include "base/controls/memory_controls.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/system/network_changes.h"

namespace velmora {
namespace {

using std::chrono::milliseconds;

class LoginRetryTest : public ::testing::Test {
  protected:
    void TearDown() override { reset_shutdown(); }

    // Answers `unreachable` in turn, then logs in.
    std::function<LoginOutcome()> attempts(std::vector<Text> unreachable) {
        return [this, unreachable] {
            const std::size_t at = tries_++;
            return at < unreachable.size() ? LoginOutcome{false, unreachable[at]}
                                           : LoginOutcome{true, {}};
        };
    }
    std::size_t lines_with(const Text& part) {
        const Text log = controls_.edit_text(control::run_log());
        std::size_t found = 0;
        for (auto at = log.find(part); at != Text::npos; at = log.find(part, at + 1)) {
            ++found;
        }
        return found;
    }

    MemoryControls controls_;
    Endpoints endpoints_;
    RunLog log_{controls_, endpoints_};
    std::vector<Text> heard_;
    std::size_t tries_ = 0;
};

TEST_F(LoginRetryTest, SaysEachNewReasonOnceAndTellsTheTrayWhenItStopsWaiting) {
    EXPECT_EQ(login_retry_waits(std::chrono::seconds(120)).first, std::chrono::seconds(15));
    EXPECT_EQ(login_retry_waits(std::chrono::seconds(120)).longest, std::chrono::minutes(10));
    LoginRetry retry(log_, [&](const Text& reason) { heard_.push_back(reason); },
                     {milliseconds(1), milliseconds(4)});
    const auto outcome = retry.run(attempts({"711", "711", "712", "712", "712"}));
    ASSERT_TRUE(outcome.has_value());
    EXPECT_TRUE(outcome->logged_in);
    EXPECT_EQ(tries_, 6u);
    EXPECT_EQ(heard_, (std::vector<Text>{"711", "712", ""}));
    EXPECT_EQ(lines_with(gbk("连不上服务商")), 2u);
    EXPECT_EQ(lines_with(gbk("已连上服务商，自动登入成功")), 1u);

    // A reply at the first try (a refusal included) is no wait: nothing said.
    LoginRetry answered(log_, [&](const Text& reason) { heard_.push_back(reason); },
                        {milliseconds(1), milliseconds(4)});
    EXPECT_FALSE(answered.run([] { return LoginOutcome{false, {}}; })->logged_in);
    EXPECT_EQ(heard_.size(), 3u);
}

TEST_F(LoginRetryTest, ANetworkChangeEndsALongWait) {
    LoginRetry retry(log_, [](const Text&) {}, {std::chrono::hours(1), std::chrono::hours(1)});
    std::thread network([] {
        std::this_thread::sleep_for(milliseconds(200));
        machine_resumed();
    });
    // Were the change not heard, the shutdown would end the wait instead, with nothing.
    std::promise<void> finished;
    std::thread stopper([ended = finished.get_future()] {
        if (ended.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
            request_shutdown();
        }
    });
    const auto outcome = retry.run(attempts({"711"}));
    finished.set_value();
    network.join();
    stopper.join();
    ASSERT_TRUE(outcome.has_value());
    EXPECT_TRUE(outcome->logged_in);
}

}  // namespace
}  // namespace velmora
