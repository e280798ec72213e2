#include "base/run_directory.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace velmora {
namespace {

TEST(RunDirectory, IsTheExecutablesDirectoryWithoutTrailingSeparator) {
    Text directory = run_directory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.front(), '/');
    EXPECT_NE(directory.back(), '/');
    // The settings path is formed by plain joining; it must name a file beside us.
    EXPECT_TRUE(std::filesystem::is_regular_file(directory + "/" + program_invocation_short_name));
}

}  // namespace
}  // namespace velmora
