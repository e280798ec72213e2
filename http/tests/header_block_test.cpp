// The pure text steps around an exchange: the request header block and the proxy name.
#include "http/header_block.h"

#include <gtest/gtest.h>

#include "http/request_target.h"

namespace velmora {
namespace {

TEST(HeaderBlockTest, NormalisationCapitalisesEachWordOfEveryName) {
    // Lines without a colon go; values stay as written; a GBK lead byte takes the byte after
    // it (here a dash) as its second half, so the letter after it starts no word.
    EXPECT_EQ(normalized_header_block("content-type: a-b\r\nACCEPT: y\r\nno colon\r\n\r\n"
                                      "x--y-: z\r\n\x81-a: v"),
              "Content-Type: a-b\r\nACCEPT: y\r\nX--Y-: z\r\n\x81-a: v");
}

TEST(ProxyName, PlainHttpUrlsNameTheProxyForHttpOnly) {
    EXPECT_EQ(proxy_name("127.0.0.1:8080", true), "127.0.0.1:8080");
    EXPECT_EQ(proxy_name("127.0.0.1:8080", false), "http=127.0.0.1:8080");
    EXPECT_EQ(proxy_name("", false), "");
    EXPECT_EQ(proxy_for_url("http=127.0.0.1:8080", false), "127.0.0.1:8080");
    EXPECT_EQ(proxy_for_url("127.0.0.1:8080", true), "127.0.0.1:8080");
}

}  // namespace
}  // namespace velmora
