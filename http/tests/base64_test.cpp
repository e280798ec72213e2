#include "http/base64.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(Base64, MatchesTheStandardTestVectors) {
    EXPECT_EQ(base64_encode(""), "");
    EXPECT_EQ(base64_encode("f"), "Zg==");
    EXPECT_EQ(base64_encode("fo"), "Zm8=");
    EXPECT_EQ(base64_encode("foo"), "Zm9v");
    EXPECT_EQ(base64_encode("foob"), "Zm9vYg==");
    EXPECT_EQ(base64_encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(base64_encode("foobar"), "Zm9vYmFy");
}

TEST(Base64, HighBytesUseTheLastTwoLettersOfTheAlphabet) {
    EXPECT_EQ(base64_encode("\xfb\xff\xbf"), "+/+/");
    // GBK credentials are encoded as their raw bytes: "用户" is D3 C3 BB A7.
    EXPECT_EQ(base64_encode("\xd3\xc3\xbb\xa7:pw"), "08O7pzpwdw==");
}

}  // namespace
}  // namespace velmora
