#include <gtest/gtest.h>

#include "api/api_post.h"
#include "api/login_messages.h"
#include "api/reply_markers.h"
#include "base/gbk.h"

namespace velmora {
namespace {

TEST(ReplyCode, OnlyAQuotedCodeFollowedByACommaCounts) {
    EXPECT_EQ(reply_code(R"({"status":{"code":"1","message":"ok"}})"), "1");
    EXPECT_EQ(reply_code(R"({"status":{"code":"10001","message":"x"}})"), "10001");
    EXPECT_EQ(reply_code(R"({"status":{"code":1,"message":"ok"}})"), "");
    EXPECT_EQ(reply_code(R"({"status":{"code":"1"}})"), "");
    EXPECT_EQ(reply_code(""), "");
}

TEST(ReplyFields, QuotedAndUnquotedIdsSeeDifferentThings) {
    const Text reply = R"({"id":"7","x":1,"id":"9","y":2})";
    EXPECT_EQ(reply_fields(reply, reply_marker::kQuotedId), (TextList{"7", "9"}));
    EXPECT_EQ(reply_fields(reply, reply_marker::kUnquotedId), (TextList{"\"7\"", "\"9\""}));

    const Text listing = R"({"domain":{"id":7001,"name":"a.example",)"
                         R"("records":[{"id":"91","name":"www",}]})";
    EXPECT_EQ(reply_fields(listing, reply_marker::kUnquotedId), (TextList{"7001", "\"91\""}));
    EXPECT_EQ(reply_fields(listing, reply_marker::kName), (TextList{"a.example", "www"}));
}

TEST(ReplyFields, AValueCutOffBeforeItsEndGivesNoItem) {
    EXPECT_EQ(
        reply_fields(R"({"value":"1.2.3.4","ttl":"600"},{"value":"5.6.)", reply_marker::kValue),
        (TextList{"1.2.3.4"}));
    EXPECT_TRUE(reply_fields("", reply_marker::kTtl).empty());
}

TEST(LoginMessages, FirstMatchingRowWinsAndUnknownCodesHaveNone) {
    ASSERT_NE(find_login_message("85"), nullptr);
    EXPECT_EQ(find_login_message("85")->message, gbk("帐号异地登录，请求被拒绝。"));
    EXPECT_EQ(find_login_message("-3")->message, gbk(" 不是合法代理 (仅用于代理接口)。 "));
    EXPECT_EQ(find_login_message("1")->message, gbk("登入成功"));
    EXPECT_EQ(find_login_message(""), nullptr);
    EXPECT_EQ(find_login_message("10003"), nullptr);
    EXPECT_EQ(find_login_message("01"), nullptr);
    EXPECT_EQ(login_messages().size(), 14u);
    EXPECT_EQ(login_messages().back().code, kLoginSucceededCode);
}

}  // namespace
}  // namespace velmora
