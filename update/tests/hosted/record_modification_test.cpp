#include "update/record_modification.h"

#include <gtest/gtest.h>

#include "api/api_post.h"
#include "update/address_discovery.h"
#include "update/tests/support/update_fixture.h"

namespace velmora {
namespace {

using testing::success_line;

class RecordModification : public testing::UpdateTest {
  protected:
    Text credential() { return Text(testing::kThreeDomainId) + "," + testing::kThreeDomainToken; }
};

TEST_F(RecordModification, SuccessLogsTheAddressDiscoveredAfterTheReply) {
    sandbox_.set_public_address("203.0.113.99");
    const ApiReply reply =
        modify_record(context(), log_, credential(), "1001", "5003", "home", "203.0.113.77", "A");
    EXPECT_EQ(reply_code(reply.text), "1");
    EXPECT_EQ(sandbox_.records(1001)->at(2).value, "203.0.113.77");
    EXPECT_EQ(run_log(), success_line("203.0.113.99"));
}

TEST_F(RecordModification, ARefusalLogsNothing) {
    const Text wrong = Text(testing::kThreeDomainId) + ",wrong";
    EXPECT_EQ(
        reply_code(
            modify_record(context(), log_, wrong, "1001", "5003", "home", "1.2.3.4", "A").text),
        "-1");
    EXPECT_EQ(run_log(), "");
    EXPECT_EQ(count("httpdns") + count("time"), 0u);
}

TEST_F(RecordModification, OtherTypesAndOddValuesGoOutOnTheDefaultLine) {
    modify_record(context(), log_, credential(), "1001", "5026", "blog",
                  "cdn.velmora-demo.example.", "CNAME");
    EXPECT_EQ(sandbox_.records(1001)->at(25).value, "cdn.velmora-demo.example.");
    modify_record(context(), log_, credential(), "1001", "5028", "@", "v=spf1 a&b -all", "TXT");
    EXPECT_EQ(sandbox_.records(1001)->at(27).value, "v=spf1 a&b -all");
    const TextList sent = bodies("Record.Modify");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], "login_token=" + credential() +
                           "&format=json&domain_id=1001&record_id=5028&sub_domain=@"
                           "&value=v%3Dspf1%20a%26b%20-all&record_type=TXT&record_line_id=0"
                           "&record_line=\xC4\xAC\xC8\xCF");
}

TEST_F(RecordModification, DiscoveryTakesTheTextAfterTheLastBar) {
    EXPECT_EQ(discover_public_address(endpoints_), "127.0.0.1");  // the caller's own
    sandbox_.set_public_address("203.0.113.9");
    EXPECT_EQ(discover_public_address(endpoints_), "203.0.113.9");
    sandbox_.set_dns_reply("a|b|203.0.113.10\r\n");
    EXPECT_EQ(discover_public_address(endpoints_), "203.0.113.10\r\n");
    sandbox_.set_dns_reply("203.0.113.10");
    EXPECT_EQ(discover_public_address(endpoints_), "");
    endpoints_.httpdns_address = "127.0.0.1:1";
    EXPECT_EQ(discover_public_address(endpoints_), "");
}

}  // namespace
}  // namespace velmora
