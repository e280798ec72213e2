#include "app/settings/address_sources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/gbk.h"

namespace velmora {
namespace {

// The file as a user edits it by hand, in GBK, beside the original's sections.
TEST(AddressSources, TheListedUrlsInKeyOrderUpToTheFirstGap) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("velmora-sources-" +
                       std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".ini");
    {
        std::ofstream file(path, std::ios::binary);
        file << gbk("[登入]\r\nID=100001\r\n[地址来源]\r\n2 = "
                    "https://echo-b.velmora.example/ip\r\n") +
                    "1=http://echo-a.velmora.example/\r\n3=\"http://echo-c.velmora.example/\"\r\n"
                    "5=http://after-a-gap.velmora.example/\r\n";
    }
    const std::vector<EchoSource> sources = read_echo_sources(path.string());
    ASSERT_EQ(sources.size(), 3u);
    EXPECT_EQ(sources[0].key, "1");
    EXPECT_EQ(sources[0].url, "http://echo-a.velmora.example/");
    EXPECT_EQ(sources[1].url, "https://echo-b.velmora.example/ip");
    EXPECT_EQ(sources[2].url, "http://echo-c.velmora.example/");
    std::filesystem::remove(path);
    // Without the file or the section: no list, and the loop asks as before.
    EXPECT_TRUE(read_echo_sources(path.string()).empty());
}

}  // namespace
}  // namespace velmora
