#include "api/record_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>

#include "api/login_messages.h"
#include "api/tests/support/sandbox_fixture.h"
#include "api/tests/support/scripted_provider.h"
#include "base/gbk.h"
#include "http/tests/support/fixture_server.h"

namespace velmora {
namespace {

using testing::kEightDomainId;
using testing::kEightDomainToken;
using testing::kThreeDomainToken;
using testing::scripted_record_list;

class RecordListing : public testing::SandboxTest {
  protected:
    std::array<Text, 5> row(int page, int row) {
        std::array<Text, 5> cells;
        for (int column = 0; column < 5; ++column) {
            cells[column] = controls_.list_cell_text(control::record_list(page), row, column);
        }
        return cells;
    }
    int rows(int page) { return controls_.list_row_count(control::record_list(page)); }
    Text record_list_body(const Text& id, const Text& token, const Text& domain_id) {
        return "login_token=" + id + "," + token + "&format=json&domain_id=" + domain_id +
               "&sub_domain=www&record_type=A&offset=0&length=20&sub_domain";
    }
    std::vector<Text> shown_messages() {
        std::vector<Text> messages;
        for (const auto& box : controls_.message_boxes()) {
            messages.push_back(box.message);
        }
        return messages;
    }
};

TEST_F(RecordListing, PageOneLogsInAndListsTheFirstTwentyOfTwentyFiveRecords) {
    EXPECT_TRUE(load_record_page(context(), 1));
    EXPECT_EQ(shown_messages(), std::vector<Text>{gbk("登入成功")});
    EXPECT_EQ(controls_.message_boxes()[0].caption, gbk("信息："));

    // The domain row, the first 20 A records, then the domain's AAAA records.
    ASSERT_EQ(rows(1), 23);
    EXPECT_EQ(row(1, 0), (std::array<Text, 5>{"1001", "velmora-demo.example", "", "", ""}));
    EXPECT_EQ(row(1, 1), (std::array<Text, 5>{"5001", "www", "A", "198.51.100.10", "600"}));
    EXPECT_EQ(row(1, 3), (std::array<Text, 5>{"5003", "home", "A", "198.51.100.11", "600"}));
    EXPECT_EQ(row(1, 20), (std::array<Text, 5>{"5020", "host17", "A", "198.51.100.37", "600"}));
    EXPECT_EQ(row(1, 21)[2], "AAAA");
    EXPECT_EQ(row(1, 22)[2], "AAAA");

    EXPECT_EQ(bodies("Domain.List"),
              TextList{"login_token=100001," + Text(kThreeDomainToken) + "&format=json"});
    // The A list exactly as before, then the same body asking for AAAA.
    const Text a_body = record_list_body("100001", kThreeDomainToken, "1001");
    Text aaaa_body = a_body;
    aaaa_body.replace(aaaa_body.find("record_type=A&"), 14, "record_type=AAAA&");
    EXPECT_EQ(bodies("Record.List"), (TextList{a_body, aaaa_body}));
}

// A careless provider lists every type whatever record_type asks for: the page shows
// each record once, and the rows after the first list are AAAA records only.
TEST_F(RecordListing, AProviderThatIgnoresTheTypeAddsNoRowTwice) {
    sandbox_.set_record_type_ignored(true);
    EXPECT_FALSE(load_record_page(context(), 3));
    TextList ids;
    for (int r = 1; r < rows(3); ++r) {
        ids.push_back(row(3, r)[0]);
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(static_cast<std::size_t>(rows(3) - 1), sandbox_.records(1003)->size());
}

TEST_F(RecordListing, ADomainWithoutAaaaRecordsShowsItsARowsAlone) {
    enter_credential(kEightDomainId, kEightDomainToken);
    EXPECT_FALSE(load_record_page(context(), 2));
    EXPECT_EQ(rows(2), 3);
    EXPECT_EQ(count("Record.List"), 2u);
}

TEST_F(RecordListing, EveryErrorRowShowsItsMessageAndLeavesTheListAlone) {
    for (const LoginMessage& expected : login_messages()) {
        if (expected.code == kLoginSucceededCode) {
            continue;
        }
        SCOPED_TRACE(expected.code);
        sandbox_.set_forced_reply({.account_id = "100001",
                                   .action = "Record.List",
                                   .code = expected.code,
                                   .with_data = true});
        const auto before = controls_.message_boxes().size();
        EXPECT_FALSE(load_record_page(context(), 1));
        const auto boxes = controls_.message_boxes();
        ASSERT_EQ(boxes.size(), before + 1);
        EXPECT_EQ(boxes.back().message, expected.message);
        EXPECT_EQ(rows(1), 0);
    }
    // Spaces are part of the messages.
    EXPECT_EQ(controls_.message_boxes()[1].message, gbk("登入令牌ID无效 "));
}

// A login that fails without a message of its own says why: the user must be able to
// tell a refused token from a dead network.
TEST_F(RecordListing, OtherFailuresOfTheLoginSayWhy) {
    const auto last_box = [this] {
        const auto boxes = controls_.message_boxes();
        return boxes.empty() ? Text() : boxes.back().message;
    };
    sandbox_.set_forced_reply(
        {.account_id = "100001", .action = "Record.List", .code = "10003", .with_data = true});
    EXPECT_FALSE(load_record_page(context(), 1));
    EXPECT_EQ(last_box(), gbk("登入未完成：服务商返回代码10003：") +
                              "Reply code chosen through the sandbox control interface");
    sandbox_.set_forced_reply({.account_id = "100001", .action = "Record.List", .code = "-15"});
    EXPECT_FALSE(load_record_page(context(), 1));
    EXPECT_EQ(last_box(), gbk("登入未完成：服务商返回代码-15：Domain id invalid"));
    sandbox_.clear_forced_replies();

    const Text sandbox_host = endpoints_.api_host;
    endpoints_.api_host = "127.0.0.1:1";  // nothing listens there
    EXPECT_FALSE(load_record_page(context(), 1));
    EXPECT_EQ(last_box(), gbk("登入未完成：711 发送请求失败!"));

    testing::FixtureServer untrusted(testing::FixtureServer::Tls::untrusted);
    endpoints_.api_host = "127.0.0.1:" + std::to_string(untrusted.port());
    EXPECT_FALSE(load_record_page(context(), 1));
    EXPECT_EQ(last_box(), gbk("登入未完成：711 发送请求失败!"));

    // A reply that is not the provider's (a captive portal's page, say).
    testing::ScriptedProvider provider;
    provider.set_record_list("<html>Please sign in</html>");
    endpoints_.api_host = provider.host();
    EXPECT_FALSE(load_record_page(context(), 1));
    EXPECT_EQ(last_box(), gbk("登入未完成：回复不是服务商的回复（200 OK）"));

    EXPECT_EQ(controls_.message_boxes().size(), 5u);  // one box per login
    EXPECT_EQ(rows(1), 0);
    endpoints_.api_host = sandbox_host;
}

// Pages 2 to 6 are not the login: their failures stay out of the way.
TEST_F(RecordListing, LaterPagesShowNoBox) {
    endpoints_.api_host = "127.0.0.1:1";
    EXPECT_FALSE(load_record_page(context(), 2));
    EXPECT_TRUE(controls_.message_boxes().empty());
}

TEST_F(RecordListing, EveryPageWritesItsDomainIdWhicheverPageIsCurrent) {
    enter_credential(kEightDomainId, kEightDomainToken);
    ASSERT_TRUE(controls_.set_current_tab(2));
    for (int page = 2; page <= 6; ++page) {
        EXPECT_FALSE(load_record_page(context(), page));
        const Text domain_id = std::to_string(2000 + page);
        const Text record_id = std::to_string(8000 + 2 * page - 1);
        ASSERT_EQ(rows(page), 3) << page;
        EXPECT_EQ(row(page, 0)[0], domain_id);
        EXPECT_EQ(row(page, 0)[1], "site" + std::to_string(page) + ".example");
        EXPECT_EQ(row(page, 1)[0], record_id);
        EXPECT_EQ(row(page, 1)[1], "www");
        EXPECT_EQ(row(page, 2)[1], "@");
    }
    EXPECT_TRUE(controls_.message_boxes().empty());
    EXPECT_EQ(rows(1), 0);
    // Page 3's body differs from the others only in the domain id.
    EXPECT_EQ(bodies("Record.List")[2],
              record_list_body(kEightDomainId, kEightDomainToken, "2003"));
}

TEST_F(RecordListing, AnInternationalisedDomainShowsItsAsciiForm) {
    ASSERT_FALSE(load_record_page(context(), 2));
    EXPECT_EQ(row(2, 0)[0], "1002");
    EXPECT_EQ(row(2, 0)[1], "xn--fsq092h.example");
    EXPECT_EQ(rows(2), 21);  // 20 of its 22 A records; it has no AAAA record
}

TEST_F(RecordListing, AFailedLaterPageAddsNothingAndKeepsTheDomainRow) {
    const Text& list = control::record_list(2);
    controls_.insert_list_row(list, std::nullopt, "1002");
    sandbox_.set_forced_reply({.account_id = "100001", .action = "Record.List", .code = "-1"});
    EXPECT_FALSE(load_record_page(context(), 2));
    EXPECT_TRUE(controls_.message_boxes().empty());
    EXPECT_EQ(rows(2), 1);
    EXPECT_EQ(row(2, 0)[0], "1002");
}

TEST_F(RecordListing, APageBeyondTheAccountsDomainsIsLeftUntouched) {
    EXPECT_FALSE(load_record_page(context(), 4));
    EXPECT_EQ(rows(4), 0);
    EXPECT_EQ(count("Domain.List"), 1u);
    EXPECT_EQ(count("Record.List"), 0u);
}

// Replies the substitute provider never gives, from a provider scripted by the test.
class ScriptedRecordListing : public ::testing::Test {
  protected:
    void SetUp() override {
        endpoints_.api_host = provider_.host();
        controls_.set_edit_text(control::id_edit(), "100001");
        controls_.set_edit_text(control::token_edit(), "token");
    }
    void TearDown() override { set_extra_ca_file(""); }

    bool load_page_one() { return load_record_page({controls_, endpoints_}, 1); }
    Text cell(int row, int column) {
        return controls_.list_cell_text(control::record_list(1), row, column);
    }
    int rows() { return controls_.list_row_count(control::record_list(1)); }

    testing::ScriptedProvider provider_;
    MemoryControls controls_;
    Endpoints endpoints_;
};

// A provider with no AAAA records may refuse their list: the page is as it was.
TEST_F(ScriptedRecordListing, ARefusedAaaaListLeavesThePageAsItWas) {
    EXPECT_TRUE(load_page_one());
    EXPECT_EQ(rows(), 4);
    EXPECT_EQ(provider_.bodies("Record.List").size(), 2u);
    // A reply to the AAAA list that also lists the A records (the type is the
    // provider's to honour): only the AAAA record is added.
    provider_.set_aaaa_list(
        scripted_record_list(R"("id":"5003","name":"nas","type":"A","value":"198.51.100.12")",
                             R"("id":"5009","name":"nas","type":"AAAA","value":"2001:db8::12")"));
    controls_.clear_list(control::record_list(1));
    EXPECT_TRUE(load_page_one());
    ASSERT_EQ(rows(), 5);
    EXPECT_EQ(cell(3, 0), "5003");
    EXPECT_EQ(cell(4, 0), "5009");
    EXPECT_EQ(cell(4, 1), "nas");
    EXPECT_EQ(cell(4, 2), "AAAA");
    EXPECT_EQ(cell(4, 3), "2001:db8::12");
}

// Paired by position, each of these would show a record's id beside another record's
// name or value (a record without a name showed 5001 with "home"), and a change built
// from that row would rename a record at the provider.
TEST_F(ScriptedRecordListing, RepliesWhoseListsDoNotLineUpLeaveThePageUntouched) {
    const struct {
        const char* label;
        std::string reply;
    } cases[] = {
        {"a record without a name", scripted_record_list(R"("name":"home",)", "")},
        {"a name outside the records",
         scripted_record_list(R"("info":{)", R"("info":{"name":"stats",)")},
        {"a quoted domain id", scripted_record_list(R"("id":1001,)", R"("id":"1001",)")},
        {"a record without a type", scripted_record_list(R"("type":"A",)", "")},
        {"a record without a value", scripted_record_list(R"("value":"198.51.100.11",)", "")},
    };
    for (const auto& [label, reply] : cases) {
        provider_.set_record_list(reply);
        EXPECT_TRUE(load_page_one()) << label;  // the login itself succeeded
        EXPECT_EQ(rows(), 0) << label;
    }
    EXPECT_EQ(provider_.bodies("Record.List").size(), std::size(cases));
}

TEST_F(ScriptedRecordListing, ListsThatLineUpFillThePageAndTheDomainRowTakesAnIdInDigits) {
    for (const auto& [domain_id, shown] :
         {std::pair{R"("id":1001,)", "1001"}, std::pair{R"("id": 1001,)", ""}}) {
        controls_.clear_list(control::record_list(1));
        provider_.set_record_list(scripted_record_list(R"("id":1001,)", domain_id));
        EXPECT_TRUE(load_page_one());
        ASSERT_EQ(rows(), 4) << domain_id;
        EXPECT_EQ(cell(0, 0), shown) << domain_id;
        EXPECT_EQ(cell(0, 1), "velmora-demo.example");
        EXPECT_EQ(cell(2, 0), "5002");
        EXPECT_EQ(cell(2, 1), "home");
        EXPECT_EQ(cell(3, 3), "198.51.100.12");
    }
}

}  // namespace
}  // namespace velmora
