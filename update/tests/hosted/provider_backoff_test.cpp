// The loop's manners with a provider that refuses it, counted at the sandbox over passes
// whose clock the test moves on.
#include "update/provider_backoff.h"

#include <gtest/gtest.h>

#include "update/tests/support/update_fixture.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using testing::log_line;

class Backoff : public testing::UpdateTest {
  protected:
    std::uint64_t api_requests() { return count("Record.List") + count("Record.Modify"); }

    // Passes every two minutes (the period) for `span`; the API requests they sent.
    std::uint64_t passes_over(std::chrono::minutes span) {
        const std::uint64_t before = api_requests();
        for (auto passed = 0min; passed < span; passed += 2min) {
            now_ += 2min;
            run_pass();
        }
        return api_requests() - before;
    }

    void force(const char* action, const char* code) {
        sandbox_.set_forced_reply({.account_id = "100001", .action = action, .code = code});
    }

    int lines_with(const Text& piece) {
        int found = 0;
        const Text log = run_log();
        for (auto at = log.find(piece); at != Text::npos; at = log.find(piece, at + 1)) {
            ++found;
        }
        return found;
    }
};

TEST_F(Backoff, ARefusedCredentialIsTriedOnceAnHourWithOneLine) {
    int round = 0;
    for (const char* action : {"Record.List", "Record.Modify"}) {
        for (const char* code : {"-1", "10001", "-8", "83", "85"}) {
            SCOPED_TRACE(std::string(action) + " " + code);
            controls_.set_edit_text(control::run_log(), "");
            cycle_.login_renewed();
            log_in();
            watch_row(1, 1);  // www
            const Text address = "203.0.113." + std::to_string(70 + ++round);
            sandbox_.set_public_address(address);
            force(action, code);

            run_pass();
            EXPECT_EQ(api_requests(), Text(action) == "Record.List" ? 1u : 7u);
            EXPECT_EQ(lines_with(gbk("服务商不接受登入凭据（服务商返回代码") + code), 1);
            // The address is still looked at, and said once, while nothing is asked.
            const std::uint64_t lookups = count("httpdns");
            EXPECT_EQ(passes_over(58min), 0u);
            EXPECT_GT(count("httpdns"), lookups);
            EXPECT_EQ(
                lines_with(gbk("公网IP为") + address + gbk("，记录（www）待服务商恢复受理后更新")),
                1);
            // An hour after the refusal: one more try, and no second line.
            EXPECT_GT(passes_over(2min), 0u);
            EXPECT_EQ(passes_over(58min), 0u);
            EXPECT_EQ(lines_with(gbk("服务商不接受登入凭据")), 1);
            sandbox_.clear_forced_replies();
            sandbox_.reset_counters();
        }
    }
}

TEST_F(Backoff, TheHourlyTryThatWorksResumesTheNormalPace) {
    log_in();
    watch_row(1, 1);
    sandbox_.set_public_address("203.0.113.77");
    force("Record.Modify", "-8");
    run_pass();
    passes_over(30min);
    sandbox_.clear_forced_replies();
    EXPECT_EQ(passes_over(28min), 0u);
    passes_over(2min);
    EXPECT_EQ(sandbox_.records(1001)->at(0).value, "203.0.113.77");
    EXPECT_EQ(lines_with(gbk("服务商已恢复受理请求，恢复正常检测")), 1);
    // Six lists a pass again.
    EXPECT_EQ(passes_over(4min), 12u);
}

TEST_F(Backoff, ANewLoginOrAnotherCredentialResumesAtOnce) {
    log_in();
    watch_row(1, 1);
    force("Record.List", "-1");
    run_pass();
    EXPECT_EQ(passes_over(10min), 0u);
    cycle_.login_renewed();
    EXPECT_EQ(passes_over(2min), 1u);  // refused again: one request, then held
    EXPECT_EQ(passes_over(10min), 0u);

    // Another credential in the window (a login the loop was not told of) is asked too.
    enter_credential(testing::kThreeDomainId, "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(passes_over(2min), 1u);
}

TEST_F(Backoff, AnApiLimitOrAPauseWaitsTenThenThirtyThenSixtyMinutes) {
    int round = 0;
    for (const char* action : {"Record.List", "Record.Modify"}) {
        for (const char* code : {"-2", "-99"}) {
            SCOPED_TRACE(std::string(action) + " " + code);
            cycle_.login_renewed();
            log_in();
            watch_row(1, 1);
            // A new address each round, so that every round needs its change.
            sandbox_.set_public_address("203.0.113." + std::to_string(80 + ++round));
            force(action, code);
            run_pass();
            for (const auto wait : {10min, 30min, 60min, 60min}) {
                EXPECT_EQ(passes_over(wait - 2min), 0u) << wait.count();
                EXPECT_GT(passes_over(2min), 0u) << wait.count();
            }
            sandbox_.clear_forced_replies();
            EXPECT_EQ(passes_over(58min), 0u);
            passes_over(2min);
            EXPECT_EQ(passes_over(2min), 6u);  // the normal pace, the record settled
            sandbox_.reset_counters();
        }
    }
    EXPECT_EQ(lines_with(gbk("服务商暂不受理请求（服务商返回代码-2")), 2);
    EXPECT_EQ(lines_with(gbk("服务商暂不受理请求（服务商返回代码-99")), 2);
}

TEST(RefusalOf, OnlyTheCredentialAndLimitCodesHoldTheLoop) {
    for (const char* code : {"-1", "10001", "-8", "83", "85"}) {
        EXPECT_EQ(refusal_of(code), Refusal::credential) << code;
    }
    EXPECT_EQ(refusal_of("-2"), Refusal::limit);
    EXPECT_EQ(refusal_of("-99"), Refusal::limit);
    for (const char* code : {"1", "", "-15", "8", "17", "-3", "100"}) {
        EXPECT_EQ(refusal_of(code), Refusal::none) << code;
    }
}

}  // namespace
}  // namespace velmora
