#include "api/domain_lookup.h"

#include <gtest/gtest.h>

#include "api/tests/support/sandbox_fixture.h"
#include "base/gbk.h"

namespace velmora {
namespace {

using testing::kEightDomainId;
using testing::kEightDomainToken;
using testing::kThreeDomainToken;

class DomainLookup : public testing::SandboxTest {
  protected:
    TextList captions() {
        TextList result;
        for (int page = 1; page <= control::kPageCount; ++page) {
            result.push_back(controls_.tab_caption(control::record_tabs(), page));
        }
        return result;
    }
    void set_captions(const TextList& captions) {
        for (int page = 1; page <= control::kPageCount; ++page) {
            controls_.set_tab_caption(control::record_tabs(), page, captions[page - 1]);
        }
    }
};

TEST_F(DomainLookup, ThreeDomainsNameThreePagesAndLeaveTheRest) {
    set_captions({"p1", "p2", "p3", "p4", "p5", "p6"});
    lookup_domains(context());
    EXPECT_EQ(captions(), (TextList{"velmora-demo.example", "xn--fsq092h.example",
                                    "home-lab.example", "p4", "p5", "p6"}));
    EXPECT_EQ(bodies("Domain.List"),
              TextList{"login_token=100001," + Text(kThreeDomainToken) + "&format=json"});
    EXPECT_TRUE(controls_.message_boxes().empty());
}

TEST_F(DomainLookup, EightDomainsFillAllSixPagesAndDropTheRest) {
    enter_credential(kEightDomainId, kEightDomainToken);
    lookup_domains(context());
    EXPECT_EQ(captions(), (TextList{"site1.example", "site2.example", "site3.example",
                                    "site4.example", "site5.example", "site6.example"}));

    // A later account with fewer domains leaves the extra pages named as they were.
    enter_credential(testing::kThreeDomainId, kThreeDomainToken);
    lookup_domains(context());
    EXPECT_EQ(captions(),
              (TextList{"velmora-demo.example", "xn--fsq092h.example", "home-lab.example",
                        "site4.example", "site5.example", "site6.example"}));
}

TEST_F(DomainLookup, Code10003ShowsIdErrorEvenWithDomainsInTheReply) {
    sandbox_.set_forced_reply(
        {.account_id = "100001", .action = "Domain.List", .code = "10003", .with_data = true});
    lookup_domains(context());
    EXPECT_EQ(captions(), TextList(6));
    const auto boxes = controls_.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].message, gbk("ID错误"));
    EXPECT_EQ(boxes[0].caption, gbk("信息："));
    EXPECT_EQ(boxes[0].flags, 0);
}

TEST_F(DomainLookup, OtherFailuresChangeNothingSilently) {
    enter_credential("100001", "wrong");
    lookup_domains(context());
    endpoints_.api_host = "127.0.0.1:1";  // nothing listens there
    lookup_domains(context());
    EXPECT_EQ(captions(), TextList(6));
    EXPECT_TRUE(controls_.message_boxes().empty());
}

TEST_F(DomainLookup, AnAmpersandInTheTokenStaysInsideTheCredential) {
    enter_credential("100001", Text(kThreeDomainToken) + "&x=1");
    lookup_domains(context());
    EXPECT_EQ(bodies("Domain.List"),
              TextList{"login_token=100001," + Text(kThreeDomainToken) + "%26x%3D1&format=json"});
    // The provider saw the whole text as the token, and refused it.
    EXPECT_EQ(captions(), TextList(6));
}

}  // namespace
}  // namespace velmora
