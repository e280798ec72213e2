#include "update/failure_memory.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace std::chrono_literals;

class FailureMemoryTest : public ::testing::Test {
  protected:
    std::chrono::steady_clock::time_point now_{};
    FailureMemory memory_{[this] { return now_; }};
};

TEST_F(FailureMemoryTest, ALastingFailureIsToldOnceAnHour) {
    EXPECT_TRUE(memory_.should_log("address", "down"));
    now_ += 59min;
    EXPECT_FALSE(memory_.should_log("address", "down"));
    now_ += 1min;
    EXPECT_TRUE(memory_.should_log("address", "down"));
    now_ += 30min;
    EXPECT_FALSE(memory_.should_log("address", "down"));
}

TEST_F(FailureMemoryTest, AStateThatMayLastForGoodIsToldOnce) {
    EXPECT_TRUE(memory_.should_log("address6", "none", false));
    now_ += 24h;
    EXPECT_FALSE(memory_.should_log("address6", "none", false));
    EXPECT_TRUE(memory_.recovered("address6"));
    EXPECT_TRUE(memory_.should_log("address6", "none", false));
}

TEST_F(FailureMemoryTest, ANewReasonIsToldAtOnceAndKeysAreIndependent) {
    EXPECT_TRUE(memory_.should_log("address", "711"));
    EXPECT_TRUE(memory_.should_log("address", "712"));
    EXPECT_TRUE(memory_.should_log("list:1001", "712"));
    EXPECT_FALSE(memory_.should_log("address", "712"));
    EXPECT_FALSE(memory_.should_log("list:1001", "712"));
}

TEST_F(FailureMemoryTest, ARecoveryIsToldOnceAndTheNextFailureIsNewAgain) {
    EXPECT_FALSE(memory_.recovered("address"));  // nothing was failing
    memory_.should_log("address", "down");
    EXPECT_TRUE(memory_.failing("address"));
    EXPECT_TRUE(memory_.recovered("address"));
    EXPECT_FALSE(memory_.recovered("address"));
    EXPECT_FALSE(memory_.failing("address"));
    EXPECT_TRUE(memory_.should_log("address", "down"));
}

}  // namespace
}  // namespace velmora
