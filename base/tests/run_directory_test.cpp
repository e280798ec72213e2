#include "base/system/run_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace velmora {
namespace {

namespace fs = std::filesystem;

TEST(RunDirectory, IsTheExecutablesDirectoryWithoutTrailingSeparator) {
    const Text directory = run_directory();
    ASSERT_FALSE(directory.empty());
    EXPECT_TRUE(fs::path(directory).is_absolute());
    EXPECT_NE(directory.back(), '/');
    EXPECT_NE(directory.back(), '\\');
    // The settings path is formed by plain joining; it must name a file beside us.
    bool beside_us = false;
    for (const auto& entry : fs::directory_iterator(directory + "/")) {
        beside_us = beside_us || entry.path().stem() == "base_run_directory_test";
    }
    EXPECT_TRUE(beside_us);
}

}  // namespace
}  // namespace velmora
